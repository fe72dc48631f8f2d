#include "picture/room_picture.h"

#include <cstdint>

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

// `room`'s picture at a quarter of its size into its place in `map`: each
// pixel the rounded mean of a 4 x 4 block, channel by channel.
void ShrinkInto(const Picture& room, int place, Picture& map) {
  const auto left = static_cast<std::size_t>(place % MAP_ROOMS_PER_ROW * MAP_ROOM_SIZE);
  const auto top = static_cast<std::size_t>(place / MAP_ROOMS_PER_ROW * MAP_ROOM_SIZE);
  const auto roomStride = static_cast<std::size_t>(3 * room.width);
  const auto mapStride = static_cast<std::size_t>(3 * map.width);
  for (std::size_t y = 0; y < MAP_ROOM_SIZE; ++y) {
    for (std::size_t x = 0; x < MAP_ROOM_SIZE; ++x) {
      for (std::size_t channel = 0; channel < 3; ++channel) {
        unsigned sum = 0;
        for (std::size_t dy = 0; dy < SHRINK; ++dy) {
          const std::size_t rowStart = (SHRINK * y + dy) * roomStride + channel;
          for (std::size_t dx = 0; dx < SHRINK; ++dx) {
            sum += room.rgb.at(rowStart + 3 * (SHRINK * x + dx));
          }
        }
        map.rgb.at((top + y) * mapStride + 3 * (left + x) + channel) =
            static_cast<std::uint8_t>((sum + 8) / 16);
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
