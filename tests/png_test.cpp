// The PNG encoder and its deflate against an independent decoder: Python's
// zlib (tests/png_decode.py) checks every chunk's CRC, inflates the image
// data, checks its Adler-32 and unfilters the rows; the pixels must be the
// picture's, and the image data at most 1.5 times zlib's level 9 on the same
// filtered rows.
#include "picture/png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixture/run_tool.h"
#include "picture/deflate.h"

namespace {

const std::string DECODER = ROOMXFER_SOURCE_DIR "/tests/png_decode.py";

struct Random {
  std::uint32_t state;
  std::uint8_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<std::uint8_t>(state >> 11);
  }
};

using Colour = std::function<std::uint32_t(int x, int y)>;  // 0xRRGGBB

Picture Painted(int width, int height, const Colour& colour) {
  Picture picture{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = colour(x, y);
      picture.rgb.insert(picture.rgb.end(),
                         {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                          static_cast<std::uint8_t>(rgb)});
    }
  }
  return picture;
}

Picture Noise(int width, int height, std::uint32_t seed) {
  Random random{seed};
  return Painted(width, height, [&](int, int) {
    return std::uint32_t{random.Next()} << 16 | random.Next() << 8 | random.Next();
  });
}

// As rooms are drawn: 8 x 8 tiles from a small set, a flat floor, a band of
// black, and from row `noiseFrom` down noise that no match shortens.
Picture Tiles(int width, int height, int noiseFrom = 1 << 30) {
  Random random{77};
  std::vector<std::uint32_t> tiles(6 * 64);
  for (std::uint32_t& pixel : tiles) pixel = random.Next() % 4 * 0x3F2A11 + 0x102030;
  Random noise{5};
  return Painted(width, height, [&](int x, int y) -> std::uint32_t {
    if (y >= noiseFrom) return std::uint32_t{noise.Next()} << 16 | noise.Next() << 8 | noise.Next();
    if (x / 8 % 16 == 15) return 0x000000;
    if ((x / 8 + y / 8) % 5 == 0) return 0x4A6B2C;
    const int tile = (x / 8 * 7 + y / 8 * 3) % 6;
    return tiles.at(static_cast<std::size_t>(tile * 64 + y % 8 * 8 + x % 8));
  });
}

struct Decoded {
  fixture::RunResult run;
  ByteList output;
};

// The decoder run on `input` (a PNG file, or with --inflate a raw deflate
// stream), and what it wrote.
Decoded RunDecoder(const fixture::TempDir& directory, const ByteList& input, bool rawDeflate) {
  fixture::WriteFile(directory.path / "input", input);
  std::vector<std::string> arguments = {DECODER, "input", "output"};
  if (rawDeflate) arguments.insert(arguments.begin() + 1, "--inflate");
  Decoded decoded{fixture::RunRoomxfer("python3", arguments, directory.path), {}};
  if (decoded.run.exitStatus == 0) decoded.output = fixture::ReadFile(directory.path / "output");
  return decoded;
}

bool HavePython(const fixture::TempDir& directory) {
  return fixture::RunRoomxfer("sh", {"-c", "command -v python3"}, directory.path).exitStatus == 0;
}

// The first offset where the two differ, or the shorter size.
std::size_t FirstDifference(const ByteList& a, const std::vector<std::uint8_t>& b) {
  const std::size_t common = std::min(a.size(), b.size());
  return static_cast<std::size_t>(std::mismatch(a.begin(), a.begin() + common, b.begin()).first -
                                  a.begin());
}

TEST(PngFiles, DecodeIndependentlyToTheirPixels) {
  const fixture::TempDir directory;
  if (!HavePython(directory)) GTEST_SKIP() << "python3 is not installed";
  const struct {
    const char* name;
    Picture picture;
  } cases[] = {
      {"one pixel", Painted(1, 1, [](int, int) { return 0xFF8001u; })},
      {"flat", Painted(64, 48, [](int, int) { return 0x204060u; })},
      {"noise of an odd width", Noise(7, 5, 1)},
      {"noise", Noise(160, 120, 2)},
      {"every byte value by row and column",
       Painted(256, 9, [](int x, int y) { return std::uint32_t(x * 0x010101 ^ y * 0x2F); })},
      {"tiles of an odd width", Tiles(333, 17)},
      {"tiles, a room's size", Tiles(512, 512)},
      {"tiles then noise: many blocks of each kind", Tiles(1024, 320, 200)},
  };
  for (const auto& [name, picture] : cases) {
    SCOPED_TRACE(name);
    const Decoded decoded = RunDecoder(directory, EncodePng(picture), false);
    ASSERT_EQ(decoded.run.exitStatus, 0) << decoded.run.output;
    std::istringstream line(decoded.run.output);
    int width = 0;
    int height = 0;
    std::size_t imageData = 0;
    std::size_t zlibLevel9 = 0;
    line >> width >> height >> imageData >> zlibLevel9;
    EXPECT_EQ(width, picture.width);
    EXPECT_EQ(height, picture.height);
    EXPECT_EQ(decoded.output.size(), picture.rgb.size());
    EXPECT_EQ(FirstDifference(decoded.output, picture.rgb), picture.rgb.size());
    EXPECT_LE(imageData * 2, zlibLevel9 * 3) << imageData << " bytes against " << zlibLevel9;
  }
}

TEST(PngFiles, PictureWhosePixelsDoNotFitItsSizeIsRefused) {
  EXPECT_THROW(EncodePng(Picture{2, 2, std::vector<std::uint8_t>(11)}), std::invalid_argument);
  EXPECT_THROW(EncodePng(Picture{0, 0, {}}), std::invalid_argument);
}

TEST(Deflate, StreamsInflateToTheirInput) {
  const fixture::TempDir directory;
  if (!HavePython(directory)) GTEST_SKIP() << "python3 is not installed";
  Random random{9};
  ByteList random200k(200000);
  for (std::uint8_t& byte : random200k) byte = random.Next();
  ByteList everyValue;
  for (int round = 0; round < 40; ++round) {
    for (int value = 0; value < 256; ++value) everyValue.push_back(value * (2 * round + 1) & 0xFF);
  }
  ByteList longMatches(300000, 0x00);  // runs, then a 1000-byte text repeated 31 KiB apart
  for (std::size_t at = 100000; at < longMatches.size(); ++at) {
    longMatches[at] = (at - 100000) % 31744 < 1000 ? random200k[(at - 100000) % 31744] : at % 7;
  }
  const struct {
    const char* name;
    ByteList input;
    std::size_t atMost;  // bytes of the stream
  } cases[] = {
      {"empty", {}, 8},
      {"one byte", {0x5A}, 8},
      {"every byte value", everyValue, everyValue.size() + 5},
      {"long matches", longMatches, 20000},
      // Stored blocks of at most 65535 bytes, each 5 bytes of framing.
      {"random, more than 64 KiB", random200k, random200k.size() + 5 * 4},
  };
  for (const auto& [name, input, atMost] : cases) {
    SCOPED_TRACE(name);
    const ByteList stream = Deflate(input);
    EXPECT_LE(stream.size(), atMost);
    const Decoded decoded = RunDecoder(directory, stream, true);
    ASSERT_EQ(decoded.run.exitStatus, 0) << decoded.run.output;
    EXPECT_EQ(decoded.output, input);
  }
}

}  // namespace
