#include "tables/room_doors.h"

#include "rom/snes_address.h"
#include "tables/game_code.h"

std::optional<std::uint32_t> DoorTableOffset(RomImage& rom) {
  SetReading(rom, "door table code");
  const std::uint32_t tableAddress = ReadLongAt(rom, DOOR_TABLE_LOADS[1].opcodeOffset + 1);
  for (const DoorTableLoad& load : DOOR_TABLE_LOADS) {
    if (ReadByteAt(rom, load.opcodeOffset) != LDA_LONG_X_OPCODE ||
        ReadLongAt(rom, load.opcodeOffset + 1) != tableAddress + load.addend) {
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
    const std::uint32_t address = ReadLong(rom);
    const std::uint64_t door = SnesToPc(address);
    const std::uint64_t layerStart = layerOffsets.at(static_cast<std::size_t>(room));
    RoomData& data = rooms[static_cast<std::size_t>(room)];
    // The game reads a door list below a bank's ROM from RAM or open bus, not
    // from the file offset the conversion gives, so such an entry points into
    // no room's layer data and is kept as it stands.
    const bool inRom = (address & 0xFFFF) >= LOWEST_ROM_ADDRESS;
    if (inRom && layerStart <= door && door < layerStart + data.layerData.size()) {
      data.doorOffset = static_cast<std::uint32_t>(door - layerStart);
    }
  }
}

void WriteRoomDoor(RomImage& out, std::uint32_t tableOffset, int room, std::int64_t layerStart,
                   const RoomData& data) {
  if (!data.doorOffset) {
    return;
  }
  WriteLongAt(out, static_cast<std::int64_t>(tableOffset) + 3 * room,
              PcToSnes(static_cast<std::uint32_t>(layerStart + *data.doorOffset)));
}
