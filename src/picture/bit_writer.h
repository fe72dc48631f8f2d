// Bits written from the least significant one up, into bytes, as deflate
// packs them.
#pragma once

#include <cstdint>

#include "rom/byte_list.h"

struct BitWriter {
  ByteList bytes;
  std::uint64_t pending = 0;  // bits not yet in `bytes`, the first in bit 0
  int pendingCount = 0;       // below 32 between calls
};

// The low `count` bits of `value` (count at most 32, the bits above clear).
inline void PutBits(BitWriter& writer, std::uint32_t value, int count) {
  writer.pending |= std::uint64_t{value} << writer.pendingCount;
  writer.pendingCount += count;
  if (writer.pendingCount >= 32) {
    for (int byte = 0; byte < 4; ++byte) {
      writer.bytes.push_back(static_cast<std::uint8_t>(writer.pending));
      writer.pending >>= 8;
    }
    writer.pendingCount -= 32;
  }
}

// Zero bits up to the next byte boundary, and every pending byte out.
inline void AlignToByte(BitWriter& writer) {
  for (; writer.pendingCount > 0; writer.pendingCount -= 8) {
    writer.bytes.push_back(static_cast<std::uint8_t>(writer.pending));
    writer.pending >>= 8;
  }
  writer.pendingCount = 0;
}
