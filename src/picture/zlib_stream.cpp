#include "picture/zlib_stream.h"

#include <algorithm>

#include "picture/deflate.h"

namespace {

constexpr std::uint32_t ADLER_MODULUS = 65521;
// The most bytes whose sums cannot overflow 32 bits before they are reduced.
constexpr std::size_t ADLER_RUN = 5552;

// Deflate with a 32 KiB window (CMF 0x78), the strongest compression level
// (FLG 0xDA: the header is a multiple of 31).
constexpr std::uint8_t COMPRESSION_METHOD = 0x78;
constexpr std::uint8_t FLAGS = 0xDA;

}  // namespace

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
  std::uint32_t low = 1;
  std::uint32_t high = 0;
  for (std::size_t start = 0; start < bytes.size(); start += ADLER_RUN) {
    for (const std::uint8_t byte :
         bytes.subspan(start, std::min(ADLER_RUN, bytes.size() - start))) {
      low += byte;
      high += low;
    }
    low %= ADLER_MODULUS;
    high %= ADLER_MODULUS;
  }
  return high << 16 | low;
}

ByteList ZlibStream(std::span<const std::uint8_t> input) {
  ByteList stream = {COMPRESSION_METHOD, FLAGS};
  const ByteList deflated = Deflate(input);
  stream.insert(stream.end(), deflated.begin(), deflated.end());
  const std::uint32_t sum = Adler32(input);
  for (int shift = 24; shift >= 0; shift -= 8) {
    stream.push_back(static_cast<std::uint8_t>(sum >> shift));
  }
  return stream;
}
