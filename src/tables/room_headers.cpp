#include "tables/room_headers.h"

#include "rom/block_output.h"
#include "rom/snes_address.h"

namespace {

std::uint32_t HeaderOffset(const HeaderPointerTable& table, std::uint16_t entry) {
  return SnesToPc((static_cast<std::uint32_t>(table.bank) << 16) + entry);
}

}  // namespace

std::uint32_t HeaderTableOffset(RomImage& rom) {
  SetReading(rom, "room header table address");
  Seek(rom, HEADER_TABLE_FIELD);
  return SnesToPc(ReadLong(rom));
}

void ReadHeaderPointerTable(RomImage& rom, HeaderPointerTable& table) {
  SetReading(rom, "room header bank");
  Seek(rom, HEADER_BANK_FIELD);
  table.bank = ReadByte(rom);
  table.tableAddress = 0;
  SetReading(rom, "room header table address");
  Seek(rom, HEADER_TABLE_FIELD);
  table.tableAddress = ReadLong(rom);
  SetReading(rom, "room header pointer table");
  Seek(rom, SnesToPc(table.tableAddress));
  for (int room = 0; room < SHORT_HEADER_TABLE_ENTRIES; ++room) {
    table.entries[room] = ReadWord(rom);
  }
  if (IsShortHeaderTable(table)) {
    // Rooms 296 to 319 of a short table share room 295's entry.
    for (int room = SHORT_HEADER_TABLE_ENTRIES; room < ROOM_COUNT; ++room) {
      table.entries[room] = table.entries[SHORT_HEADER_TABLE_ENTRIES - 1];
    }
    return;
  }
  for (int room = SHORT_HEADER_TABLE_ENTRIES; room < ROOM_COUNT; ++room) {
    table.entries[room] = ReadWord(rom);
  }
}

bool IsShortHeaderTable(const HeaderPointerTable& table) {
  return static_cast<std::int64_t>(HeaderOffset(table, table.entries[0])) ==
         static_cast<std::int64_t>(SnesToPc(table.tableAddress)) + 2 * SHORT_HEADER_TABLE_ENTRIES;
}

void ReadRoomHeaders(RomImage& rom, RoomSet& rooms, const HeaderPointerTable& table) {
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SetReading(rom, "header of room", room);
    Seek(rom, HeaderOffset(table, table.entries[room]));
    ReadBytes(rom, rooms[room].header.data(), rooms[room].header.size());
  }
}

namespace {

constexpr std::size_t HEADER_FIELD_SIZE = 16;  // the 14 header bytes padded to 16
constexpr std::uint8_t ZEROS[HEADER_FIELD_SIZE] = {};

}  // namespace

void WriteRoomHeaders(RomImage& out, const RoomSet& rooms) {
  const std::int64_t start = Tell(out);
  const std::uint32_t tableOffset = HeaderTableOffset(out);

  std::vector<RoomLabel> labels;
  labels.reserve(ROOM_COUNT);
  std::uint32_t uiDataSize = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    labels.push_back(FormatRoomLabel("Header Room %d", room));
    uiDataSize += static_cast<std::uint32_t>(LabelBlockSize(labels.back()) + HEADER_FIELD_SIZE);
  }

  Seek(out, start);
  AlignTo16(out);
  Report(out, Format("WriteRoomHeaders(): uiDataSize = %X\n", uiDataSize));
  EnsureNoBankBreach(out, uiDataSize);

  const std::int64_t blockStart = Tell(out);
  Seek(out, HEADER_BANK_FIELD);
  WriteByte(out, static_cast<std::uint8_t>(blockStart / BANK_SIZE));
  Seek(out, blockStart);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    WriteLabelBlock(out, labels[room]);
    const std::int64_t fieldStart = Tell(out);
    Seek(out, tableOffset + 2 * room);
    WriteWord(out, static_cast<std::uint16_t>(PcToSnes(static_cast<std::uint32_t>(fieldStart))));
    Seek(out, fieldStart);
    const auto& header = rooms[room].header;
    WriteBytes(out, header.data(), header.size());
    WriteBytes(out, ZEROS, HEADER_FIELD_SIZE - header.size());
  }
  RecordBlock(out, BlockKind::RoomHeaders, blockStart, Tell(out));
}
