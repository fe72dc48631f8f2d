// --verify's look through the game's own code, after the read-back: every
// moved room is loaded twice in the interpreter (src/picture/room_load_check.h),
// the source room by the source ROM's code and the destination room by the
// new ROM's, and what the two loads leave in work RAM is compared.
//
// One line per moved room that loads differently, naming the first
// difference:
//   "Room 0x012 onto 0x040 loads differently: BG1 tile (5, 7): 0x1C02 in the source, 0x0000 in the
//   new ROM"
// ("door tables entry 17 ($7E:19A2): ..." for a table), with
// " (room 0x065 is treated apart by the game's loading code)" behind a pair
// with such a room, or naming a load that did not return:
//   "Room 0x012 onto 0x040 does not load in the new ROM: Underworld_LoadRoom: BRK at $01:9000"
// then the summary: "N moved rooms load in the new ROM as in the source", or
// "D of N moved rooms load differently in the new ROM". A difference is a
// report, not a failure. Where the check cannot be made, one line says why:
//   "Game check not made: NAME is a room pack, which holds no code of the game."
//   "Game check not made: NAME does not hold the game's ROUTINE at $BB:AAAA."
#pragma once

#include <string>

#include "rom/rom_image.h"
#include "rooms/transfer.h"

struct GameCheckSource {
  const RomImage* rom = nullptr;  // nullptr: the rooms came from the room pack `name`
  std::string name;
};

struct GameCheckReport {
  std::string text;  // the lines, the summary or the line saying why no check was made last
  bool made = false;
  int moved = 0;
  int differing = 0;
};

// The lines for the pairs of the lists (the last pair naming a destination
// room is the one it holds), the destination rooms in ascending order.
GameCheckReport CheckRoomsInGame(const GameCheckSource& source, const RomImage& out,
                                 const RoomList& sourceRooms, const RoomList& destinationRooms);
