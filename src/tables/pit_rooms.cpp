#include "tables/pit_rooms.h"

#include "rom/block_output.h"
#include "rom/snes_address.h"

namespace {

// Last indexes from here on are negative as signed words: an empty list.
constexpr std::uint16_t EMPTY_LIST_INDEXES = 0x8000;

ByteList PitList(const RoomSet& rooms) {
  ByteList list;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (rooms[room].hasPit != 0) {
      list.push_back(static_cast<std::uint8_t>(room & 0xFF));
      list.push_back(static_cast<std::uint8_t>(room >> 8));
    }
  }
  return list;
}

}  // namespace

std::int64_t PitListSize(std::uint16_t lastIndex) {
  return lastIndex >= EMPTY_LIST_INDEXES ? 0 : (lastIndex / 2 + 1) * 2;
}

void ReadRoomPits(RomImage& rom, RoomSet& rooms) {
  for (RoomData& room : rooms.rooms) {
    room.hasPit = 0;
  }
  const std::uint16_t lastIndex = ReadWordAt(rom, PIT_LAST_INDEX_FIELD, "pit room list last index");
  if (lastIndex >= EMPTY_LIST_INDEXES) {
    return;
  }
  const std::uint32_t listAddress = ReadLongAt(rom, PIT_LIST_FIELD, "pit room list address");

  SetReading(rom, "pit room list");
  Seek(rom, SnesToPc(listAddress));
  for (std::uint32_t index = 0; index <= lastIndex; index += 2) {
    const std::uint16_t room = ReadWord(rom);
    if (room < ROOM_COUNT) {
      rooms[room].hasPit = 1;
    }
  }
}

void WriteRoomPits(OutputRom& out, const RoomSet& rooms) {
  const ByteList label = LabelBlock("Pits");
  const ByteList list = PitList(rooms);
  const auto uiDataSize = static_cast<std::uint32_t>(list.size());

  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomPits", uiDataSize,
                                             static_cast<std::uint32_t>(label.size()) + uiDataSize);
  WriteBytes(out, label);
  const std::int64_t listStart = Tell(out);
  // 0xFFFE for an empty list
  WriteWordAt(out, PIT_LAST_INDEX_FIELD, static_cast<std::uint16_t>(uiDataSize - 2));
  WriteLongAt(out, PIT_LIST_FIELD, PcToSnes(static_cast<std::uint32_t>(listStart)));
  WriteBytes(out, list);
  RecordBlock(out, BlockKind::PitRooms, blockStart, Tell(out));
}
