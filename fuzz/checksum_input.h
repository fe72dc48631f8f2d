// One fuzz input as an image whose internal header gets its checksum:
//
//   bytes 0-1   S, little-endian: the image has S + 1 bytes
//   the rest    the image's bytes, repeated from its start until it is full
//               (an input with no bytes after S gives an image of 0x00)
//
// The mirrored sum of the image must equal a sum taken address by address over
// the image as the console sees it, and after FixChecksum the image must carry
// the smallest ROM size byte that holds it, a checksum equal to its own
// mirrored sum, and that checksum's complement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// Empty when every promise was kept; otherwise what went wrong.
std::string CheckChecksum(const std::uint8_t* data, std::size_t size);

}  // namespace fuzzing
