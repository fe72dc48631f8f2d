// Checks of the finished layout, made when every block has been placed in
// the output image and before anything is written to disk.
#pragma once

#include "app/job/output_layout.h"
#include "rom/output_rom.h"
#include "rom/rom_image.h"

// Stops the run when the relocated area would overwrite one of the tables the
// writers rewrite in place, would reach into bank 0x7E (the console's work RAM
// in this mapping), or would destroy bytes of the destination that some other
// tool keeps in the expanded area; and when two of the tables rewritten in
// place overlap, or one of them overlaps the game code the tool reads or
// patches (the writers would destroy each other's work). `destination` is the headerless
// destination ROM as read; `out` the output image after all writers ran from
// the start that `layout` gives.
void CheckRelocatedLayout(RomImage& destination, const OutputRom& out, const OutputLayout& layout);

// One past the last byte of the relocated area.
std::int64_t RelocatedAreaEnd(const OutputRom& out, const OutputLayout& layout);
