// The room list of the --rooms option: comma-separated items, each
// SRC:DST (one room onto one room) or SRCFIRST..SRCLAST:DSTFIRST (a range onto
// a range of the same length). Numbers are decimal, or hexadecimal after
// "0x", "0X" or "$". No spaces. Example: "0x60..0x6F:0x100,$12:$40".
// For a room pack's export, a lone room or range names itself as well
// ("0x12,0x40..0x4F" is 0x12:0x12 and 0x40..0x4F:0x40).
#pragma once

#include <string>

#include "rooms/transfer.h"

// Whether an item without ":DST" is a room or range onto itself.
enum class LoneItems { Refused, NameThemselves };

// Appends the pairs in the order the list names them (a range in ascending
// order). False when the list is not well formed, names a room above 319,
// has a range whose first room is above its last, or a range that would run
// past room 319 on the destination side.
bool ParseRoomsOption(const std::string& list, RoomList& sourceRooms, RoomList& destinationRooms,
                      LoneItems lone = LoneItems::Refused);

// Every room named on either side of the pairs, ascending, each once.
RoomList RoomsNamedIn(const RoomList& sourceRooms, const RoomList& destinationRooms);
