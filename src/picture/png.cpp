#include "picture/png.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "picture/png_filters.h"
#include "picture/zlib_stream.h"

namespace {

constexpr std::array<std::uint8_t, 8> SIGNATURE = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t BIT_DEPTH = 8;
constexpr std::uint8_t TRUECOLOUR = 2;  // colour type: red, green, blue
constexpr std::size_t MAX_CHUNK_DATA = 0x7FFFFFFF;

constexpr std::array<std::uint32_t, 256> CrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t value = byte;
    for (int bit = 0; bit < 8; ++bit) value = value & 1 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[byte] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> CRC_TABLE = CrcTable();

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0) {
  crc = ~crc;
  for (const std::uint8_t byte : bytes) crc = CRC_TABLE[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutWord(ByteList& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data, and the CRC-32 of the type and data.
void PutChunk(ByteList& out, std::string_view type, std::span<const std::uint8_t> data) {
  PutWord(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutWord(out, Crc32(std::span<const std::uint8_t>(out).subspan(typeStart)));
}

}  // namespace

ByteList EncodePng(const Picture& picture) {
  const ByteList imageData = ZlibStream(FilteredRows(picture));
  ByteList header;
  PutWord(header, static_cast<std::uint32_t>(picture.width));
  PutWord(header, static_cast<std::uint32_t>(picture.height));
  // No compression method, filter method or interlacing but the standard's first.
  header.insert(header.end(), {BIT_DEPTH, TRUECOLOUR, 0, 0, 0});

  ByteList file(SIGNATURE.begin(), SIGNATURE.end());
  file.reserve(imageData.size() + 64);
  PutChunk(file, "IHDR", header);
  const std::span<const std::uint8_t> data(imageData);
  for (std::size_t start = 0; start < data.size(); start += MAX_CHUNK_DATA) {
    PutChunk(file, "IDAT", data.subspan(start, std::min(MAX_CHUNK_DATA, data.size() - start)));
  }
  PutChunk(file, "IEND", {});
  return file;
}
