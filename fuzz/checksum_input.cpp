#include "checksum_input.h"

#include <algorithm>

#include "rom/checksum.h"

namespace fuzzing {
namespace {

constexpr std::size_t SIZE_BYTES = 2;

std::size_t PowerOfTwoAtMost(std::size_t count) {
  std::size_t power = 1;
  while (power * 2 <= count) {
    power *= 2;
  }
  return power;
}

// What the console reads at `address` of the `count` bytes from `start`: the
// largest power-of-two part, then the rest mirrored to fill a part as large;
// the whole repeats past its mirrored length.
std::uint8_t SeenAt(const ByteList& bytes, std::size_t start, std::size_t count,
                    std::size_t address) {
  for (;;) {
    const std::size_t whole = PowerOfTwoAtMost(count);
    const std::size_t length = whole == count ? whole : 2 * whole;
    address %= length;
    if (address < whole) {
      return bytes[start + address];
    }
    address -= whole;
    start += whole;
    count -= whole;
  }
}

std::uint16_t SumAsSeen(const ByteList& bytes) {
  if (bytes.empty()) {
    return 0;
  }
  const std::size_t whole = PowerOfTwoAtMost(bytes.size());
  const std::size_t length = whole == bytes.size() ? whole : 2 * whole;
  std::uint32_t sum = 0;
  for (std::size_t address = 0; address < length; ++address) {
    sum += SeenAt(bytes, 0, bytes.size(), address);
  }
  return static_cast<std::uint16_t>(sum);
}

std::uint16_t WordAt(const ByteList& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

RomImage ImageOf(const std::uint8_t* data, std::size_t size) {
  std::uint32_t sizeField = 0;
  for (std::size_t i = 0; i < SIZE_BYTES && i < size; ++i) {
    sizeField |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  }
  RomImage image;
  image.bytes.resize(std::size_t{sizeField} + 1);  // fresh storage: all 0x00
  if (size > SIZE_BYTES) {
    const std::size_t pattern = size - SIZE_BYTES;
    for (std::size_t i = 0; i < image.bytes.size(); ++i) {
      image.bytes[i] = data[SIZE_BYTES + i % pattern];
    }
  }
  return image;
}

}  // namespace

std::string CheckChecksum(const std::uint8_t* data, std::size_t size) {
  RomImage image = ImageOf(data, size);
  if (MirroredByteSum(image.bytes) != SumAsSeen(image.bytes)) {
    return "the mirrored sum differs from the sum as the console sees the image";
  }
  const std::int64_t before = ImageSize(image);
  FixChecksum(image);
  const auto after = static_cast<std::int64_t>(image.bytes.size());
  if (after != std::max<std::int64_t>(before, CHECKSUM_FIELD + 2)) {
    return "fixing the checksum changed the image size";
  }
  const std::uint8_t exponent = image.bytes[ROM_SIZE_FIELD];
  if ((std::int64_t{1024} << exponent) < after ||
      (exponent > 0 && (std::int64_t{1024} << (exponent - 1)) >= after)) {
    return "the ROM size byte is not the smallest that holds the image";
  }
  const std::uint16_t checksum = WordAt(image.bytes, CHECKSUM_FIELD);
  if (WordAt(image.bytes, CHECKSUM_COMPLEMENT_FIELD) != (checksum ^ 0xFFFF)) {
    return "the complement does not match the checksum";
  }
  if (checksum != SumAsSeen(image.bytes)) {
    return "the checksum is not the sum of the fixed image";
  }
  return "";
}

}  // namespace fuzzing
