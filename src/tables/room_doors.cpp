#include "tables/room_doors.h"

#include "rom/snes_address.h"

namespace {

constexpr std::uint8_t LDA_LONG_X = 0xBF;

// One of the game's loads from the door table: the opcode's offset and what
// its operand adds to the table address.
struct DoorTableLoad {
  std::uint32_t opcodeOffset;
  std::uint32_t addend;
};

constexpr std::array<DoorTableLoad, 4> DOOR_TABLE_LOADS = {{
    {0xB6C5, 1},
    {0xB6CB, 0},
    {0xB7F7, 1},
    {0xB7FD, 0},
}};

}  // namespace

std::optional<std::uint32_t> DoorTableOffset(RomImage& rom) {
  SetReading(rom, "door table code");
  Seek(rom, DOOR_TABLE_LOADS[1].opcodeOffset + 1);
  const std::uint32_t tableAddress = ReadLong(rom);
  for (const DoorTableLoad& load : DOOR_TABLE_LOADS) {
    Seek(rom, load.opcodeOffset);
    if (ReadByte(rom) != LDA_LONG_X || ReadLong(rom) != tableAddress + load.addend) {
      return std::nullopt;
    }
  }
  return SnesToPc(tableAddress);
}

void ReadRoomDoors(RomImage& rom, RoomSet& rooms,
                   const std::array<std::uint32_t, ROOM_COUNT>& layerOffsets) {
  const std::optional<std::uint32_t> tableOffset = DoorTableOffset(rom);
  for (RoomData& data : rooms.rooms) {
    data.doorOffset = std::nullopt;
  }
  if (!tableOffset) {
    return;
  }
  SetReading(rom, "door pointer table");
  RequireInside(rom, *tableOffset, DOOR_TABLE_SIZE);
  Seek(rom, *tableOffset);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::uint64_t door = SnesToPc(ReadLong(rom));
    const std::uint64_t layerStart = layerOffsets.at(static_cast<std::size_t>(room));
    RoomData& data = rooms[static_cast<std::size_t>(room)];
    if (layerStart <= door && door < layerStart + data.layerData.size()) {
      data.doorOffset = static_cast<std::uint32_t>(door - layerStart);
    }
  }
}

void WriteRoomDoor(RomImage& out, std::uint32_t tableOffset, int room, std::int64_t layerStart,
                   const RoomData& data) {
  if (!data.doorOffset) {
    return;
  }
  const std::int64_t position = Tell(out);
  Seek(out, static_cast<std::int64_t>(tableOffset) + 3 * room);
  WriteLong(out, PcToSnes(static_cast<std::uint32_t>(layerStart + *data.doorOffset)));
  Seek(out, position);
}
