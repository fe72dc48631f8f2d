#include "tables/room_layers.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "rom/block_output.h"
#include "rom/snes_address.h"
#include "tables/room_doors.h"

namespace {

constexpr int LAYER_STEP_BUDGET = 32768;
constexpr int LAYER_SECTIONS = 3;
constexpr std::uint8_t TRAILING_BYTE = 0xFF;
constexpr std::uint32_t LABEL_FIELD_SIZE = 16;

// Reads one room's layer data from the position. The pair is looked for at
// every byte; each byte passed over and each pair found takes one step from
// the budget. The data are the bytes passed over, taken from the image in
// one piece at the end and appended to `layerData`.
void ScanLayerData(RomImage& rom, ByteList& layerData) {
  const std::int64_t start = Tell(rom);
  const std::int64_t pairsEnd = ImageSize(rom) - 1;  // where no pair can start
  std::int64_t position = start;
  std::int64_t budget = LAYER_STEP_BUDGET;
  for (int sections = 0; sections < LAYER_SECTIONS && budget > 0;) {
    if (position < 0 || position >= pairsEnd) {
      RequireInside(rom, position, 2);
    }
    const std::int64_t budgetEnd = position + budget;
    const std::int64_t pair = FindEndPair(rom, position, std::min(budgetEnd, pairsEnd));
    if (pair == budgetEnd) {
      position = budgetEnd;
      break;
    }
    if (pair == pairsEnd) {
      RequireInside(rom, pair, 2);
    }
    budget -= pair - position + 1;
    position = pair + 2;
    ++sections;
    // The optional 0xFF behind the last section; at the end of the file it is absent.
    if (sections == LAYER_SECTIONS && position < ImageSize(rom) &&
        rom.bytes[static_cast<std::size_t>(position)] == TRAILING_BYTE) {
      ++position;
    }
  }
  Seek(rom, position);
  AppendImageBytes(layerData, rom, start, position);
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
