#include "tables/room_layers.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "rom/block_output.h"
#include "rom/snes_address.h"
#include "tables/list_ends.h"
#include "tables/room_doors.h"

namespace {

constexpr std::uint32_t LABEL_FIELD_SIZE = 16;

// Reads one room's layer data from the position (list_ends.h says where they
// end), taken from the image in one piece and appended to `layerData`.
void ScanLayerData(RomImage& rom, ByteList& layerData) {
  const std::int64_t start = Tell(rom);
  const ListEnd end = LayerDataEnd(BytesFrom(rom, start, 2));
  if (end.ending == ListEnding::OutOfBytes) {
    RequireInside(rom, start + static_cast<std::int64_t>(end.size),
                  static_cast<std::int64_t>(end.needed));
  }
  const std::int64_t stop = start + static_cast<std::int64_t>(end.size);
  Seek(rom, stop);
  AppendImageBytes(layerData, rom, start, stop);
}

// Label field and data together; the data of a sound ROM are far shorter.
std::uint32_t RoomBlockSize(const RoomData& data) {
  const std::size_t size = data.layerData.size() + LABEL_FIELD_SIZE;
  return static_cast<std::uint32_t>(
      std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

std::uint32_t LayerTableOffset(RomImage& rom) {
  return TableOffsetAt(rom, LAYER_TABLE_FIELD, "layer table address");
}

void ReadLayerPointerTable(RomImage& rom, LayerPointerTable& table) {
  table.tableAddress = 0;
  table.tableAddress = ReadLongAt(rom, LAYER_TABLE_FIELD, "layer table address");
  SetReading(rom, "layer pointer table");
  Seek(rom, SnesToPc(table.tableAddress));
  for (std::uint32_t& pointer : table.pointers) {
    pointer = ReadLong(rom);
  }
}

void ReadRoomLayers(RomImage& rom, RoomSet& rooms, const LayerPointerTable& table) {
  std::array<std::uint32_t, ROOM_COUNT> layerOffsets{};
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const auto index = static_cast<std::size_t>(room);
    layerOffsets.at(index) = SnesToPc(table.pointers.at(index));
    SetReading(rom, "layer data of room", room);
    Seek(rom, layerOffsets.at(index));
    ScanLayerData(rom, rooms[index].layerData);
  }
  ReadRoomDoors(rom, rooms, layerOffsets);
}

void WriteRoomLayers(OutputRom& out, const RoomSet& rooms) {
  const std::uint32_t tableOffset = LayerTableOffset(out);
  const std::optional<std::uint32_t> doorTableOffset = DoorTableOffset(out);

  for (int room = 0; room < ROOM_COUNT; ++room) {
    const RoomData& data = rooms[static_cast<std::size_t>(room)];
    const std::string label = FormatLabel("Layer Room %d", static_cast<unsigned>(room));
    SetReading(out, "layer data of room", room);
    AlignTo16(out);
    EnsureNoBankBreach(out, RoomBlockSize(data));
    const std::int64_t labelStart = Tell(out);
    WriteText(out, label);
    AlignTo16(out);

    const std::int64_t dataStart = Tell(out);
    WriteLongAt(out, static_cast<std::int64_t>(tableOffset) + 3 * room,
                PcToSnes(static_cast<std::uint32_t>(dataStart)));
    if (doorTableOffset) {
      WriteRoomDoor(out, *doorTableOffset, room, dataStart, data);
    }
    WriteBytes(out, data.layerData);
    RecordRoomBlock(out, BlockKind::LayerData, room, labelStart, Tell(out));
  }
}
