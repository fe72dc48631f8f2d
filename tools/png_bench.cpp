#include "png_bench.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "picture/png.h"
#include "picture/png_filters.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int TILE = 8;
constexpr int ROOM_TILES = 64;
constexpr int ROOM = TILE * ROOM_TILES;
constexpr int TILE_SET = 48;
constexpr int MAP_SCALE = 4;
constexpr int MAP_COLUMNS = 16;
constexpr int MAP_ROWS = 20;
// The PNG around the image data: signature, IHDR, the IDAT chunk's
// length, type and CRC, IEND.
constexpr std::size_t PNG_FRAMING = 8 + 25 + 12 + 12;

struct Random {
  std::uint64_t state;
  int Below(int bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<int>((state >> 16) % static_cast<std::uint64_t>(bound));
  }
};

using Tile = std::array<std::uint8_t, TILE * TILE>;  // colour indices 0-15

// Flat, striped, speckled or framed, in two colours.
Tile MakeTile(Random& random) {
  Tile tile{};
  const int kind = random.Below(4);
  const int colour = random.Below(16);
  const int other = random.Below(16);
  for (int y = 0; y < TILE; ++y) {
    for (int x = 0; x < TILE; ++x) {
      int index = colour;
      if (kind == 1 && (x + y) % 4 == 0) index = other;
      if (kind == 2 && random.Below(3) == 0) index = other;
      if (kind == 3 && (x == 0 || y == 0)) index = other;
      if (kind == 3 && (x == TILE - 1 || y == TILE - 1)) index = (other + 1) % 16;
      tile[static_cast<std::size_t>(y * TILE + x)] = static_cast<std::uint8_t>(index);
    }
  }
  return tile;
}

// A tile map entry: tile, palette (of four), flips; -1 is black.
constexpr int PALETTE_SHIFT = 6;
constexpr int FLIP_X = 0x100;
constexpr int FLIP_Y = 0x200;

std::vector<int> RoomMap(Random& random) {
  std::vector<int> map(ROOM_TILES * ROOM_TILES);
  const int floorA = random.Below(TILE_SET);
  const int floorB = random.Below(TILE_SET);
  const int blackFrom = random.Below(2) == 0 ? ROOM_TILES : 32 + random.Below(16);
  for (int y = 0; y < ROOM_TILES; ++y) {
    for (int x = 0; x < ROOM_TILES; ++x) {
      const bool sideWall = x < 4 || x >= ROOM_TILES - 4;
      int entry = (x / 2 + y / 2) % 2 == 0 ? floorA : floorB;
      if (sideWall || y < 4 || y >= ROOM_TILES - 4) {
        entry = (4 + (x + y) % 3 + (sideWall ? 8 : 0)) | 1 << PALETTE_SHIFT |
                (x >= ROOM_TILES - 4 ? FLIP_X : 0) | (y >= ROOM_TILES - 4 ? FLIP_Y : 0);
      }
      map[static_cast<std::size_t>(y * ROOM_TILES + x)] = x >= blackFrom ? -1 : entry;
    }
  }
  for (int objects = 10 + random.Below(30); objects > 0; --objects) {
    const int width = 2 + random.Below(8);
    const int height = 2 + random.Below(8);
    const int left = random.Below(ROOM_TILES - width);
    const int top = random.Below(ROOM_TILES - height);
    const int tile = random.Below(TILE_SET - 4);
    const int looks = random.Below(4) << PALETTE_SHIFT | random.Below(4) << 8;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        map[static_cast<std::size_t>((top + y) * ROOM_TILES + left + x)] =
            (tile + (x + y * width) % 4) | looks;
      }
    }
  }
  return map;
}

// A room as the game draws one: 64 x 64 tiles of a set of 48 in four
// palettes of 16 colours, a tiled floor, walls, objects, black beside the
// room, in some rooms translucent water.
Picture RoomPicture(std::uint64_t seed) {
  Random random{seed * 0x9E3779B97F4A7C15u + 1};
  std::array<std::array<std::uint8_t, 3>, 64> palette{};
  for (auto& colour : palette) {
    for (std::uint8_t& value : colour) value = static_cast<std::uint8_t>(random.Below(32) << 3);
  }
  std::vector<Tile> tiles;
  for (int tile = 0; tile < TILE_SET; ++tile) tiles.push_back(MakeTile(random));
  const std::vector<int> map = RoomMap(random);
  const bool water = random.Below(4) == 0;
  Picture picture{ROOM, ROOM, std::vector<std::uint8_t>(ROOM * ROOM * 3, 0)};
  for (int y = 0; y < ROOM; ++y) {
    for (int x = 0; x < ROOM; ++x) {
      const int entry = map[static_cast<std::size_t>(y / TILE * ROOM_TILES + x / TILE)];
      if (entry < 0) continue;
      const int tileX = entry & FLIP_X ? TILE - 1 - x % TILE : x % TILE;
      const int tileY = entry & FLIP_Y ? TILE - 1 - y % TILE : y % TILE;
      const std::size_t index = tiles[static_cast<std::size_t>(entry & 0x3F)]
                                     [static_cast<std::size_t>(tileY * TILE + tileX)];
      const auto& colour = palette[(entry >> PALETTE_SHIFT & 3) * 16 + index];
      const auto& waterColour = palette[48 + static_cast<std::size_t>((x / 3 + y / 5) % 16)];
      const bool underWater = water && x > 100 && x < 400 && y > 150 && y < 350;
      for (std::size_t channel = 0; channel < 3; ++channel) {
        picture.rgb[static_cast<std::size_t>(y * ROOM + x) * 3 + channel] =
            static_cast<std::uint8_t>(underWater ? (colour[channel] + waterColour[channel]) / 2
                                                 : colour[channel]);
      }
    }
  }
  return picture;
}

// The whole underworld: 320 rooms at a quarter of their size (each pixel
// the mean of 4 x 4), 16 a row.
Picture UnderworldPicture() {
  constexpr int SMALL = ROOM / MAP_SCALE;
  Picture map{SMALL * MAP_COLUMNS, SMALL * MAP_ROWS, {}};
  map.rgb.resize(static_cast<std::size_t>(map.width) * static_cast<std::size_t>(map.height) * 3);
  for (int room = 0; room < MAP_COLUMNS * MAP_ROWS; ++room) {
    const Picture full = RoomPicture(static_cast<std::uint64_t>(room) + 100);
    for (int y = 0; y < SMALL; ++y) {
      for (int x = 0; x < SMALL; ++x) {
        const std::size_t mapX = static_cast<std::size_t>(room % MAP_COLUMNS * SMALL + x);
        const std::size_t mapY = static_cast<std::size_t>(room / MAP_COLUMNS * SMALL + y);
        for (std::size_t channel = 0; channel < 3; ++channel) {
          int sum = 0;
          for (int dy = 0; dy < MAP_SCALE; ++dy) {
            for (int dx = 0; dx < MAP_SCALE; ++dx) {
              sum += full.rgb[static_cast<std::size_t>((y * MAP_SCALE + dy) * ROOM + x * MAP_SCALE +
                                                       dx) *
                                  3 +
                              channel];
            }
          }
          map.rgb[(mapY * static_cast<std::size_t>(map.width) + mapX) * 3 + channel] =
              static_cast<std::uint8_t>(sum / (MAP_SCALE * MAP_SCALE));
        }
      }
    }
  }
  return map;
}

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void PrintRow(const char* name, const Picture& picture, int runs) {
  std::vector<double> times;
  std::size_t ours = 0;
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    ours = EncodePng(picture).size();
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  const ByteList rows = FilteredRows(picture);
  uLongf zlibSize = compressBound(static_cast<uLong>(rows.size()));
  std::vector<Bytef> compressed(zlibSize);
  const Clock::time_point start = Clock::now();
  if (compress2(compressed.data(), &zlibSize, rows.data(), static_cast<uLong>(rows.size()), 9) !=
      Z_OK) {
    std::fprintf(stderr, "bench: zlib failed\n");
    std::exit(1);
  }
  const double zlibTime = Milliseconds(Clock::now() - start);
  const std::size_t theirs = PNG_FRAMING + zlibSize;
  std::printf("  %-30s %4d x %4d: %8zu bytes, zlib -9 %8zu, ratio %.3f; %7.1f ms (zlib %.1f ms)\n",
              name, picture.width, picture.height, ours, theirs,
              static_cast<double>(ours) / static_cast<double>(theirs), times[times.size() / 2],
              zlibTime);
}

}  // namespace

void PrintPngRows() {
  std::printf(
      "PNG files of synthetic room pictures, against zlib level 9 on the same filtered rows\n"
      "(ratio ours / zlib's, bound 1.5; encoding time the median of the runs):\n");
  PrintRow("one room", RoomPicture(7), 9);
  PrintRow("the underworld, rooms at 1/4", UnderworldPicture(), 3);
}
