// Checks of the finished layout, made when every block has been placed in
// the output image and before anything is written to disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/job/output_layout.h"
#include "rom/output_rom.h"
#include "rom/rom_image.h"

// A table the writers rewrite where the destination keeps it.
struct InPlaceTable {
  const char* name;
  std::int64_t offset;
  std::int64_t size;
};

// What the checks need of the destination ROM as read, taken before the
// writers run: a run may build its output in the destination's own storage.
struct DestinationFacts {
  std::string name;
  std::vector<InPlaceTable> inPlaceTables;
  bool carriesMarker = false;  // the area is this tool's own from an earlier run
  // From the area's start on, the first byte that is neither 0x00 nor 0xFF
  // (another tool's data, perhaps), or -1 when there is none.
  std::int64_t firstDataOffset = -1;
  std::uint8_t firstDataByte = 0x00;
};

DestinationFacts ReadDestinationFacts(RomImage& destination, const OutputLayout& layout);

// Stops the run when the relocated area would overwrite one of the tables the
// writers rewrite in place, would reach into bank 0x7E (the console's work RAM
// in this mapping), or would destroy bytes of the destination that some other
// tool keeps in the expanded area; and when two of the tables rewritten in
// place overlap, or one of them overlaps the game code the tool reads or
// patches (the writers would destroy each other's work). `out` is the output
// image after all writers ran from the start that `layout` gives.
void CheckRelocatedLayout(const DestinationFacts& destination, const OutputRom& out,
                          const OutputLayout& layout);

// One past the last byte of the relocated area.
std::int64_t RelocatedAreaEnd(const OutputRom& out, const OutputLayout& layout);
