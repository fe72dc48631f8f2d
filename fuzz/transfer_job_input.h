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
// The job runs in memory as the tool runs it, printing nothing. A job that
// stops with a failure line is a normal refusal. A job that succeeds must give
// an output that reads back with the tool's own readers as written (apart
// from the differences the format accepts), and, when asked, that the tool
// run again on it alone reproduces byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// Empty when the job was refused or kept every promise; otherwise what went wrong.
std::string CheckTransferJob(const std::uint8_t* data, std::size_t size);

// For writing inputs by hand: the anchor byte of `offset`, which must be one of
// the anchors, and the anchor byte that stands for the end of the image.
std::uint8_t AnchorOf(std::int64_t offset);
std::uint8_t EndOfImageAnchor();

}  // namespace fuzzing
