#include "tables/room_messages.h"

#include "rom/block_output.h"
#include "rom/snes_address.h"

std::uint32_t MessageTableOffset(RomImage& rom) {
  const std::uint32_t address = ReadWordAt(rom, MESSAGE_TABLE_FIELD, "message table address");
  return SnesToPc((MESSAGE_TABLE_BANK << 16) + address);
}

void ReadRoomMessages(RomImage& rom, RoomSet& rooms) {
  Seek(rom, MessageTableOffset(rom));
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SetReading(rom, "message table entry of room", room);
    rooms[room].message = ReadWord(rom);
  }
}

void WriteRoomMessages(OutputRom& out, const RoomSet& rooms) {
  const std::uint32_t tableOffset = MessageTableOffset(out);

  ByteList block = LabelBlock("Messages");
  AppendLabel(block, FormatLabel("->Look at %X", tableOffset));
  PadTo16(block);
  const auto uiDataSize = static_cast<std::uint32_t>(block.size());

  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomMessages", uiDataSize, uiDataSize);
  WriteBytes(out, block);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    WriteWordAt(out, tableOffset + 2 * room, rooms[room].message);
  }
  RecordBlock(out, BlockKind::MessageTableNote, blockStart, Tell(out));
}
