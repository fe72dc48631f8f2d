// Where the relocated area lies in an output image. The writers place their
// blocks one after the other from the area's start, behind the marker text
// that lets a later run recognise the area as this tool's own.
#pragma once

#include <cstdint>

#include "rom/rom_image.h"
#include "tables/list_region.h"

// An output is padded to at least this size before the first block is placed.
constexpr std::int64_t EXPANDED_ROM_SIZE = 0x300000;
// Where the relocated area starts unless a run chooses another bank.
constexpr std::int64_t RELOCATION_START = 0x1F8000;
// Bank 0x7E, the console's work RAM in this mapping, starts here: the area must end by it.
constexpr std::int64_t WORK_RAM_START = 0x3F0000;
constexpr char MARKER_TEXT[] = "Here come's Tamberu's Room Transfer code";

// Classic: every kind of room data in the relocated area, the sprites behind
// this tool's loader. Editable: the sprite lists, item lists and torch table
// rewritten where the game and the dungeon editors read them, the rest in
// the relocated area with room for the editors' limits.
enum class LayoutKind { Classic, Editable };

struct OutputLayout {
  std::int64_t base = RELOCATION_START;  // the relocated area's first byte
  LayoutKind kind = LayoutKind::Classic;
  // Editable only: the spans of the destination's own lists, found when it is read.
  ListRegion spriteLists;
  ListRegion itemLists;
};

// One past the marker text at the area's start.
std::int64_t MarkerEnd(const OutputLayout& layout);

// Whether `image` holds the marker text where the area starts.
bool CarriesMarker(const RomImage& image, const OutputLayout& layout);
