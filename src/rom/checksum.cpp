#include "rom/checksum.h"

namespace {

std::uint16_t PlainSum(const ByteList& bytes, std::size_t start, std::size_t count) {
  std::uint32_t sum = 0;
  for (std::size_t i = start; i < start + count; ++i) {
    sum += bytes.at(i);
  }
  return static_cast<std::uint16_t>(sum);
}

std::size_t LargestPowerOfTwoUpTo(std::size_t count) {
  std::size_t power = 1;
  while (power <= count / 2) {
    power *= 2;
  }
  return power;
}

struct MirroredPart {
  std::uint16_t sum = 0;
  std::size_t length = 0;  // the power-of-two length the part fills once mirrored
};

// `count` bytes from `start`, count > 0.
MirroredPart SumMirrored(const ByteList& bytes, std::size_t start, std::size_t count) {
  const std::size_t whole = LargestPowerOfTwoUpTo(count);
  MirroredPart part{PlainSum(bytes, start, whole), whole};
  if (count == whole) {
    return part;
  }
  MirroredPart rest = SumMirrored(bytes, start + whole, count - whole);
  while (rest.length < whole) {
    rest.sum = static_cast<std::uint16_t>(rest.sum * 2);
    rest.length *= 2;
  }
  part.sum = static_cast<std::uint16_t>(part.sum + rest.sum);
  part.length = 2 * whole;
  return part;
}

}  // namespace

std::uint8_t RomSizeExponent(std::int64_t size) {
  std::uint8_t exponent = 0;
  while ((std::int64_t{1024} << exponent) < size) {
    ++exponent;
  }
  return exponent;
}

std::uint16_t MirroredByteSum(const ByteList& bytes) {
  if (bytes.empty()) {
    return 0;
  }
  return SumMirrored(bytes, 0, bytes.size()).sum;
}

void FixChecksum(RomImage& image) {
  const std::int64_t position = Tell(image);
  SetReading(image, "internal ROM header");
  Seek(image, CHECKSUM_COMPLEMENT_FIELD);
  WriteWord(image, 0xFFFF);
  WriteWord(image, 0x0000);
  Seek(image, ROM_SIZE_FIELD);
  WriteByte(image, RomSizeExponent(ImageSize(image)));

  const std::uint16_t sum = MirroredByteSum(image.bytes);
  Seek(image, CHECKSUM_COMPLEMENT_FIELD);
  WriteWord(image, static_cast<std::uint16_t>(sum ^ 0xFFFF));
  WriteWord(image, sum);
  Seek(image, position);
}
