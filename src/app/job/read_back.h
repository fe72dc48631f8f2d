// Reading a finished output image back with the tool's own readers, and
// every difference between the rooms that were written and the rooms that
// read back. A sound output reads back exactly, except where the format
// itself gives way:
// - torches and pushable blocks of rooms the writers left out for lack of room;
// - layer data written without their optional trailing 0xFF, when the output
//   holds 0xFF right behind them (bytes the writers skipped): they read back
//   with that 0xFF;
// - door offsets, where the output has no door pointer table, or where the
//   written room had none (its entry was left as it was and may now point
//   into the room's new data).
#pragma once

#include <string>
#include <vector>

#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "tables/torches.h"

struct RoomDifference {
  int room = 0;
  std::string kind;    // "header", "layer data", "door offset", "sprites", "items",
                       // "pushable blocks", "torches", "chests", "pit", "message"
  std::string detail;  // what was written and what reads back
  bool expected = false;
};

// Reads `out` (a finished output image) back with the tool's own readers,
// printing nothing; its position is left as it was. A read that fails stops
// the run like any read.
RoomSet ReadBackOutput(RomImage& out);
// The same into `rooms`, whose lists' storage is reused.
void ReadBackOutput(RomImage& out, RoomSet& rooms);

// Every difference between what was written and what reads back, room by
// room in ascending order, in the order of the kinds above.
std::vector<RoomDifference> CompareReadBack(const RoomSet& written, const RoomSet& readBack,
                                            RomImage& out,
                                            std::uint32_t torchLimit = TORCH_TABLE_LIMIT);
