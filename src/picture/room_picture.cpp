#include "picture/room_picture.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include "picture/compose.h"
#include "picture/drawing_machine.h"
#include "picture/drawing_routines.h"
#include "picture/screen_setup.h"
#include "rooms/room_data.h"

namespace {

constexpr std::size_t SHRINK = ROOM_PICTURE_SIZE / MAP_ROOM_SIZE;  // 4: a map pixel averages 4 x 4
constexpr int MAP_ROWS = ROOM_COUNT / MAP_ROOMS_PER_ROW;

// What drawing one ROM needs: its code checked once, the prepared machine
// every room starts from, and the machine and picture a room is drawn in.
struct RoomDrawer {
  RomImage& rom;
  std::uint32_t layerTable;
  Machine prepared;
  Machine machine;
  Picture picture;
};

RoomDrawer MakeDrawer(RomImage& rom) {
  CheckDrawingCode(rom);
  const std::uint32_t layerTable = ScreenLayerTableAddress(rom);
  Machine prepared = PrepareDrawingMachine(rom.bytes);
  Machine machine = prepared;
  return RoomDrawer{rom, layerTable, std::move(prepared), std::move(machine), Picture{}};
}

void DrawRoom(RoomDrawer& drawer, int room, DrawingCounts& counts) {
  StartRoom(drawer.machine, drawer.prepared, room);
  Bus& bus = drawer.machine.bus;
  const std::uint64_t unmappedBefore = bus.unmappedReads + bus.unmappedWrites;
  RunDrawingRoutines(drawer.machine, drawer.rom, room, counts);
  const ScreenSetup setup = ReadScreenSetup(bus, drawer.layerTable);
  counts.unmappedAccesses += bus.unmappedReads + bus.unmappedWrites - unmappedBefore;
  ++counts.roomsDrawn;
  ComposeRoom(bus, setup, drawer.picture);
}

// `room`'s picture (512 x 512) at a quarter of its size into its place
// `place` (0-319) in `map`: each pixel the rounded mean of a 4 x 4 block,
// channel by channel.
void ShrinkInto(const Picture& room, int place, Picture& map) {
  const auto left = static_cast<std::size_t>(place % MAP_ROOMS_PER_ROW * MAP_ROOM_SIZE);
  const auto top = static_cast<std::size_t>(place / MAP_ROOMS_PER_ROW * MAP_ROOM_SIZE);
  const auto mapStride = static_cast<std::size_t>(3 * map.width);
  constexpr std::size_t ROOM_STRIDE = 3 * ROOM_PICTURE_SIZE;
  if (room.rgb.size() != ROOM_STRIDE * ROOM_PICTURE_SIZE ||
      (top + MAP_ROOM_SIZE) * mapStride > map.rgb.size()) {
    throw std::logic_error("a room's picture does not fit the underworld picture");
  }
  std::array<std::uint16_t, ROOM_STRIDE> columns{};  // 4 rows summed
  for (std::size_t y = 0; y < MAP_ROOM_SIZE; ++y) {
    columns.fill(0);
    for (std::size_t line = 0; line < SHRINK; ++line) {
      const std::uint8_t* source = room.rgb.data() + (SHRINK * y + line) * ROOM_STRIDE;
      for (std::size_t at = 0; at < ROOM_STRIDE; ++at) columns[at] += source[at];
    }
    std::uint8_t* target = map.rgb.data() + (top + y) * mapStride + 3 * left;
    for (std::size_t at = 0; at < ROOM_STRIDE; at += 3 * SHRINK) {
      for (std::size_t channel = 0; channel < 3; ++channel) {
        const unsigned sum = columns[at + channel] + columns[at + channel + 3] +
                             columns[at + channel + 6] + columns[at + channel + 9];
        *target++ = static_cast<std::uint8_t>((sum + 8) / 16);
      }
    }
  }
}

}  // namespace

Picture DrawRoomPicture(RomImage& rom, int room, DrawingCounts& counts) {
  RoomDrawer drawer = MakeDrawer(rom);
  DrawRoom(drawer, room, counts);
  return std::move(drawer.picture);
}

Picture DrawUnderworldPicture(RomImage& rom, std::span<const int> rooms, DrawingCounts& counts) {
  RoomDrawer drawer = MakeDrawer(rom);
  Picture map;
  map.width = MAP_ROOMS_PER_ROW * MAP_ROOM_SIZE;
  map.height = MAP_ROWS * MAP_ROOM_SIZE;
  map.rgb.assign(static_cast<std::size_t>(3 * map.width * map.height), 0);
  for (const int room : rooms) {
    DrawRoom(drawer, room, counts);
    ShrinkInto(drawer.picture, room, map);
  }
  return map;
}
