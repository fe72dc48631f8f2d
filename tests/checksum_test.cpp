// The internal header's ROM size byte, checksum and complement, against
// images whose byte sums are known by construction.
#include "rom/checksum.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::size_t ONE_MIB = 0x100000;
// The complement 0xFFFF and the checksum 0x0000 stored while summing.
constexpr std::uint32_t CHECKSUM_FIELDS_SUM = 0xFF + 0xFF;
// ImageWith fills the internal header from 0x7FD7 to 0x7FDF with 0xA5; the four
// bytes between the size byte and the complement keep it and count.
constexpr std::uint32_t KEPT_HEADER_BYTES_SUM = 4 * 0xA5;

std::uint16_t StoredWord(const ByteList& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

// An image of zeros with the given bytes planted, and old values in the size,
// complement and checksum fields that must not count.
RomImage ImageWith(std::size_t size,
                   std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
  RomImage image;
  image.bytes.assign(size, 0x00);
  for (const auto& [offset, value] : bytes) {
    image.bytes.at(offset) = value;
  }
  for (std::size_t offset = 0x7FD7; offset < 0x7FE0; ++offset) {
    image.bytes.at(offset) = 0xA5;
  }
  return image;
}

void ExpectHeader(const RomImage& image, std::uint8_t sizeByte, std::uint16_t checksum) {
  EXPECT_EQ(image.bytes.at(0x7FD7), sizeByte);
  EXPECT_EQ(StoredWord(image.bytes, 0x7FDE), checksum);
  EXPECT_EQ(StoredWord(image.bytes, 0x7FDC), checksum ^ 0xFFFF);
  // Bytes between the fields keep what they held.
  for (std::size_t offset = 0x7FD8; offset < 0x7FDC; ++offset) {
    EXPECT_EQ(image.bytes.at(offset), 0xA5);
  }
}

TEST(FixChecksum, PowerOfTwoImageSumsEveryByteOnce) {
  RomImage image = ImageWith(ONE_MIB, {{0x0, 0x78}, {0x8000, 0xFF}, {0xFFFFF, 0x42}});
  FixChecksum(image);
  ExpectHeader(image, 0x0A,
               0x78 + 0xFF + 0x42 + 0x0A + CHECKSUM_FIELDS_SUM + KEPT_HEADER_BYTES_SUM);
}

TEST(FixChecksum, ThreeMebibyteImageCountsItsLastMebibyteTwice) {
  RomImage image =
      ImageWith(3 * ONE_MIB, {{0x10, 0x03}, {0x1FFFFF, 0x20}, {0x200000, 0x80}, {0x2FFFFF, 0x11}});
  FixChecksum(image);
  ExpectHeader(
      image, 0x0C,
      0x03 + 0x20 + 2 * (0x80 + 0x11) + 0x0C + CHECKSUM_FIELDS_SUM + KEPT_HEADER_BYTES_SUM);
  EXPECT_EQ(image.bytes.size(), 3 * ONE_MIB);
}

TEST(FixChecksum, SumIsTakenModulo0x10000) {
  // 2 MiB of 0x01; the size byte and the four checksum bytes replace five of them.
  RomImage image;
  image.bytes.assign(2 * ONE_MIB, 0x01);
  FixChecksum(image);
  const auto expected = static_cast<std::uint16_t>(0x200000 - 5 + 0x0B + CHECKSUM_FIELDS_SUM);
  EXPECT_EQ(expected, 0x0204);
  EXPECT_EQ(image.bytes.at(0x7FD7), 0x0B);
  EXPECT_EQ(StoredWord(image.bytes, 0x7FDE), expected);
  EXPECT_EQ(StoredWord(image.bytes, 0x7FDC), expected ^ 0xFFFF);
}

TEST(FixChecksum, ChecksumAndComplementAddUpAndSurviveASecondPass) {
  RomImage image = ImageWith(3 * ONE_MIB, {{0x1234, 0x9A}, {0x2ABCDE, 0x77}});
  FixChecksum(image);
  const ByteList once = image.bytes;
  FixChecksum(image);
  EXPECT_EQ(image.bytes, once);
  EXPECT_EQ(StoredWord(image.bytes, 0x7FDE) + StoredWord(image.bytes, 0x7FDC), 0xFFFF);
}

TEST(MirroredByteSum, RemainderIsMirroredUntilItFillsThePartBeforeIt) {
  // 0x7000 bytes: 0x4000 once, then 0x3000 mirrored to 0x4000 (its 0x2000
  // once and its last 0x1000 twice).
  ByteList bytes(0x7000, 0x00);
  bytes.at(0x0000) = 0x01;
  bytes.at(0x4000) = 0x10;
  bytes.at(0x6FFF) = 0x40;
  EXPECT_EQ(MirroredByteSum(bytes), 0x01 + 0x10 + 2 * 0x40);
  // 0x5000 bytes: the last 0x1000 repeated four times.
  bytes.resize(0x5000);
  bytes.at(0x4FFF) = 0x02;
  EXPECT_EQ(MirroredByteSum(bytes), 0x01 + 4 * (0x10 + 0x02));
  EXPECT_EQ(MirroredByteSum({}), 0);
}

TEST(RomSizeExponent, SmallestPowerOfTwoKibibytesHoldingTheImage) {
  const std::pair<std::int64_t, std::uint8_t> cases[] = {
      {0x400, 0x00},    {0x401, 0x01},    {0x100000, 0x0A}, {0x100001, 0x0B},
      {0x200000, 0x0B}, {0x300000, 0x0C}, {0x400000, 0x0C}, {0x400001, 0x0D},
  };
  for (const auto& [size, exponent] : cases) {
    EXPECT_EQ(RomSizeExponent(size), exponent) << std::hex << size;
  }
}

}  // namespace
