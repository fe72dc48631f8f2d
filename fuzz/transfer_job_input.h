// One fuzz input as a whole transfer job. The input is not a ROM: it picks two
// of four sound base images built by the ROM fixture, patches them, and gives a room
// list, so that most inputs reach deep into the readers and writers:
//
//   byte 0        flags: bit 0 source behind a copier header, bit 1 destination
//                 behind one, bit 2 one-ROM run (the source is also the
//                 destination), bit 3 the tool is run again on the output
//                 alone, bits 4-5 source base, bits 6-7 destination base
//   byte 1        L, the length of the room list text; 0: every room onto itself
//   L bytes       the room list text, as given on the command line
//   then patches, each starting with an operation byte (bit 0: 0 source,
//   1 destination; bits 1-3 the kind) and a place: an anchor byte (an index
//   into a list of the offsets the game's tables and code use) and a signed
//   16-bit little-endian distance from it:
//     kind 0, 1  N, then N bytes written at the place
//     kind 2     N, V: N bytes of value V
//     kind 3     anchor, distance: the 3-byte SNES address of that second place
//     kind 4     anchor, distance: the low 16 bits of its SNES address
//     kind 5     the image is cut at the place
//     kind 6     V: the image is extended with V bytes up to the place (at most 4 MiB)
//     kind 7     N, V: N * 256 bytes of value V
//   Bytes that would lie outside the image are not written.
//
// The inputs kept in fuzz/regressions mean what they mean against these bases
// and anchors: a change to either needs them checked again.
//
// The editable layout (--editable) takes the same input against its own four
// bases, ROMs as dungeon editors leave them (see EditableBases in the .cpp),
// and the anchors above followed by a few of its own. Its fuzz target's
// input starts with one more byte, the base of the relocated area: below
// 0xA0 the default 0x200000, else bank 0x20 + (byte - 0xA0), as --base gives.
//
// The job runs in memory as the tool runs it, printing nothing. A job that
// stops with a failure line is a normal refusal. A job that succeeds must give
// an output that reads back with the tool's own readers as written (apart
// from the differences the format accepts), and, when asked, that the tool
// run again on it alone, in the same layout, reproduces byte for byte. In the
// editable layout the dungeon editors' reading of the output
// (fixture/editor_view.h) must also give the sprites, pot items, torches,
// messages and chests that the game's pointers give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/job/output_layout.h"

namespace fuzzing {

// Empty when the job was refused or kept every promise; otherwise what went
// wrong. The classic layout from 0x1F8000.
std::string CheckTransferJob(const std::uint8_t* data, std::size_t size);
// The same in `layout` (its list regions are found by the job).
std::string CheckTransferJob(const std::uint8_t* data, std::size_t size,
                             const OutputLayout& layout);
// The editable fuzz target's input: the base byte, then the job.
std::string CheckEditableTransferJob(const std::uint8_t* data, std::size_t size);
// The editable layout's base for the first byte of such an input.
std::int64_t EditableBaseOf(std::uint8_t choice);

// For writing inputs by hand: the anchor byte of `offset`, which must be one of
// the layout's anchors, and the anchor byte that stands for the end of the image.
std::uint8_t AnchorOf(std::int64_t offset, LayoutKind kind = LayoutKind::Classic);
std::uint8_t EndOfImageAnchor(LayoutKind kind = LayoutKind::Classic);

}  // namespace fuzzing
