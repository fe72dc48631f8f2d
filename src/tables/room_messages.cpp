#include "tables/room_messages.h"

#include "rom/block_output.h"
#include "rom/snes_address.h"

std::uint32_t MessageTableOffset(RomImage& rom) {
  SetReading(rom, "message table address");
  Seek(rom, MESSAGE_TABLE_FIELD);
  const std::uint32_t address = ReadWord(rom);
  return SnesToPc((MESSAGE_TABLE_BANK << 16) + address);
}

void ReadRoomMessages(RomImage& rom, RoomSet& rooms) {
  Seek(rom, MessageTableOffset(rom));
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SetReading(rom, "message table entry of room", room);
    rooms[room].message = ReadWord(rom);
  }
}

void WriteRoomMessages(RomImage& out, const RoomSet& rooms) {
  const std::int64_t start = Tell(out);
  const std::uint32_t tableOffset = MessageTableOffset(out);
  Seek(out, start);

  ByteList block = LabelBlock("Messages");
  AppendLabel(block, FormatLabel("->Look at %X", tableOffset));
  PadTo16(block);
  const auto uiDataSize = static_cast<std::uint32_t>(block.size());

  AlignTo16(out);
  Report(out, Format("WriteRoomMessages(): uiDataSize = %X\n", uiDataSize));
  EnsureNoBankBreach(out, uiDataSize);

  const std::int64_t blockStart = Tell(out);
  WriteBytes(out, block);
  const std::int64_t blockEnd = Tell(out);
  Seek(out, tableOffset);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    WriteWord(out, rooms[room].message);
  }
  Seek(out, blockEnd);
  RecordBlock(out, BlockKind::MessageTableNote, blockStart, blockEnd);
}
