// The output ROM while the writers build it: an image, and what the writing
// says and leaves noted beside the bytes: where the progress lines go, the
// blocks placed in the relocated area and the tables and lists rewritten
// where the game keeps them, for the layout checks and the map.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "rom/rom_image.h"

// What a block the writers placed in the relocated area holds.
enum class BlockKind {
  Marker,
  SpritePointerTable,
  SpriteLists,
  SpritePointerLoader,
  SlotDeathMasks,
  RoomHeaders,
  LayerData,  // one room's; the block names the room
  RoomItems,
  PushableBlocks,
  Torches,
  Chests,
  PitRooms,
  MessageTableNote,
};

// A block the writers placed in the relocated area.
struct PlacedBlock {
  BlockKind kind = BlockKind::Marker;
  std::int64_t start = 0;
  std::int64_t end = 0;  // one past the last byte
  int room = -1;         // the room of a per-room block, else -1
};

// A table or list region the editable layout rewrites where the game keeps
// it: `used` of its `space` bytes from `start`.
struct InPlaceRegion {
  std::string name;
  std::int64_t start = 0;
  std::int64_t used = 0;
  std::int64_t space = 0;
};

// The image's bytes and position are the RomImage's; the writers take an
// OutputRom where they print or note what they placed, and the plain image
// where they only move bytes.
struct OutputRom : RomImage {
  std::FILE* console = nullptr;               // where progress lines go; nullptr keeps quiet
  std::vector<PlacedBlock> placedBlocks;      // in the order written
  std::vector<InPlaceRegion> inPlaceRegions;  // in the order rewritten
};

// Notes a block written at [start, end) in the relocated area.
void RecordBlock(OutputRom& out, BlockKind kind, std::int64_t start, std::int64_t end);
void RecordRoomBlock(OutputRom& out, BlockKind kind, int room, std::int64_t start,
                     std::int64_t end);

// Notes a region rewritten in place, `used` of `space` bytes from `start`.
void RecordRegion(OutputRom& out, const std::string& name, std::int64_t start, std::size_t used,
                  std::int64_t space);

// Prints a progress line on `console`; nullptr keeps quiet.
void Report(std::FILE* console, const std::string& line);
// Prints a progress line on the output's console.
void Report(const OutputRom& out, const std::string& line);
