#include "tables/banked_lists.h"

#include "rom/snes_address.h"

namespace {

constexpr std::size_t RECORD_ALIGNMENT = 16;
constexpr std::uint8_t ZEROS[RECORD_ALIGNMENT] = {};

std::size_t PaddingTo16(std::size_t size) {
  return (RECORD_ALIGNMENT - size % RECORD_ALIGNMENT) % RECORD_ALIGNMENT;
}

RoomLabel LabelOf(const char* labelFormat, int room) {
  return FormatRoomLabel(labelFormat, static_cast<unsigned>(room));
}

}  // namespace

void ReadBankedTable(RomImage& rom, const BankedTableFields& fields, int entries,
                     BankedPointerTable& table) {
  table.bank = ReadByteAt(rom, fields.bankField, fields.bankName);
  table.tableAddress = 0;
  table.tableAddress = ReadLongAt(rom, fields.addressField, fields.addressName);
  ReadTableEntries(rom, table, 0, entries, fields.tableName);
}

std::uint32_t BankedOffset(const BankedPointerTable& table, std::uint16_t entry) {
  return SnesToPc((static_cast<std::uint32_t>(table.bank) << 16) + entry);
}

void ReadTableEntries(RomImage& rom, BankedPointerTable& table, int first, int end,
                      const char* what) {
  SetReading(rom, what);
  const std::int64_t start = SnesToPc(table.tableAddress);
  for (int room = first; room < end; ++room) {
    table.entries.at(static_cast<std::size_t>(room)) = ReadWordAt(rom, start + 2 * room);
  }
}

RoomRecords SizeRoomRecords(const RoomSet& rooms, const char* labelFormat, RecordData data) {
  RoomRecords records;
  records.labels.reserve(ROOM_COUNT);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    records.labels.push_back(LabelOf(labelFormat, room));
    const std::size_t size = data(rooms[room]).size();
    records.size += static_cast<std::uint32_t>(LabelBlockSize(records.labels.back()) + size +
                                               PaddingTo16(size));
  }
  return records;
}

std::int64_t WriteRoomRecords(RomImage& out, const RoomSet& rooms, const RoomRecords& records,
                              RecordData data, std::int64_t table) {
  std::int64_t dataStart = Tell(out);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    WriteLabelBlock(out, records.labels.at(static_cast<std::size_t>(room)));
    dataStart = Tell(out);
    WriteWordAt(out, table + 2 * room,
                static_cast<std::uint16_t>(PcToSnes(static_cast<std::uint32_t>(dataStart))));
    const std::span<const std::uint8_t> bytes = data(rooms[room]);
    WriteBytes(out, bytes.data(), bytes.size());
    WriteBytes(out, ZEROS, PaddingTo16(bytes.size()));
  }
  return dataStart;
}

std::int64_t AllLabelsSize(const char* labelFormat) {
  std::int64_t size = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    size += static_cast<std::int64_t>(LabelBlockSize(LabelOf(labelFormat, room)));
  }
  return size;
}
