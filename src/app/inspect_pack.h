// --inspect PACK: the rooms of a room pack, with what a room has on its own:
// its number, the sizes in bytes of its layer data, sprite list and item
// list, its counts of chests, pushable blocks and torch words, its pit flag
// and message word, and under it the room's note; the pack's note comes
// first. A pack has no offsets, shared data or ROM limits.
#pragma once

#include <string>

#include "app/inspection.h"
#include "packs/room_pack.h"
#include "rooms/transfer.h"

// `rooms` selects the rooms shown (nullptr: every room the pack holds).
std::string InspectPack(const RoomPack& pack, const RoomList* rooms);

// The same look, with the rooms and notes as data beside the text.
Inspection InspectPackRooms(const RoomPack& pack, const RoomList* rooms);
