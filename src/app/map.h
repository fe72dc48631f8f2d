// The map of the relocated area of an output image, built from the blocks the
// writers recorded: one row per block (the per-room layer blocks as one row),
// how full each bank is, the area's total, and how close each limited block
// is to its limit.
//
// Block rows: name, first-last file offset, first-last SNES address, size and
// bank(s), all in upper-case hexadecimal. Bank rows: the bank's file offsets,
// the bytes inside blocks ("Used"), the bytes between blocks that alignment
// and the bank check passed over ("Gaps"), and the bytes after the bank's last
// block ("Free"); the three add up to 0x8000. Limit rows: bytes used, the
// limit and the bytes left, in decimal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/job/output_layout.h"
#include "rom/output_rom.h"

// `layout` is the one the writers placed the blocks by.
std::string FormatMap(const OutputRom& out, const OutputLayout& layout);

// The map's blocks and banks as data: what its rows show.
struct MapBlock {
  std::string name;
  std::int64_t start = 0;
  std::int64_t end = 0;  // one past the last byte
  std::vector<std::int64_t> banks;
};

struct MapBank {
  std::int64_t bank = 0;
  std::int64_t used = 0;
  std::int64_t gaps = 0;
  std::int64_t free = 0;
};

struct MapSummary {
  std::vector<MapBlock> blocks;
  std::vector<MapBank> banks;
  std::vector<InPlaceRegion> inPlace;  // the editable layout's tables rewritten in place
};

MapSummary SummariseMap(const OutputRom& out, const OutputLayout& layout);

// The heading and one row of a table of limits, shared by the views:
// name, bytes used, the limit, bytes left and the share used in percent.
std::string FormatLimitHeading();
std::string FormatLimitRow(const char* name, std::int64_t used, std::int64_t limit);
