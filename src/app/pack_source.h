// A room pack where a source ROM stands: its rooms are taken by the numbers
// they carry, and a list may name only rooms the pack holds.
#pragma once

#include <string>

#include "app/input_files.h"
#include "packs/room_pack.h"
#include "rooms/transfer.h"

// The pack of a file that LoadInputFile found to be one; a pack that does not
// read stops the run.
RoomPack ReadPackFile(const InputFile& file);

// Every room the pack holds onto the room of the same number.
void FillHeldRoomLists(const RoomPack& pack, RoomList& sourceRooms, RoomList& destinationRooms);

// Stops the run at the first source room of the list that the pack named
// `name` does not hold.
void RefuseRoomsNotHeld(const RoomPack& pack, const std::string& name, const RoomList& sourceRooms);
