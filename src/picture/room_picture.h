// Rooms as the game draws them: the ROM's own room-loading, tileset and
// palette code run in the interpreter from the work RAM the game has when
// it loads an underworld room, and the two background layers it leaves
// composed as the PPU composes them for the room's layer effect.
#pragma once

#include <cstdint>
#include <span>

#include "picture/png.h"
#include "rom/rom_image.h"

constexpr int ROOM_PICTURE_SIZE = 512;  // one room: 64 x 64 tiles of 8 x 8 pixels
constexpr int MAP_ROOM_SIZE = 128;      // a room in the underworld picture: a quarter of its size
constexpr int MAP_ROOMS_PER_ROW = 16;   // the game's grid: room = row x 16 + column

// What drawing cost, for the picture's report line.
struct DrawingCounts {
  int roomsDrawn = 0;
  std::uint64_t instructions = 0;
  std::uint64_t unmappedAccesses = 0;  // reads and writes
};

// Room `room` (0-319) of the headerless image `rom` at full size. Stops the
// run with one line naming the ROM and the routine where the ROM does not hold
// the game's code, or where a routine does not return.
Picture DrawRoomPicture(RomImage& rom, int room, DrawingCounts& counts);

// The underworld picture: every room of `rooms` (ascending, each 0-319) at a
// quarter of its size in the game's grid of 16 rooms a row, 20 rows; the
// places of rooms not listed left black.
Picture DrawUnderworldPicture(RomImage& rom, std::span<const int> rooms, DrawingCounts& counts);
