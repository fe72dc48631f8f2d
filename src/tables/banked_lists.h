// The room header, item and sprite tables share one form: 320 entries of 2
// bytes, each the low 16 bits of the SNES address of a room's data in one
// bank that the game keeps apart (a bank byte beside the table's address, or
// a fixed bank of the sprite code).
//
// Their classic writers share one form too: per room a record of its label
// ("Items Room 5") padded with 0x00 to 16 bytes and its data padded with 0x00
// to a multiple of 16, in room order, each table entry pointing at the data.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "rom/block_output.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"

struct BankedPointerTable {
  std::uint8_t bank = 0;
  std::uint32_t tableAddress = 0;  // 24-bit SNES address
  std::array<std::uint16_t, ROOM_COUNT> entries{};
};

// Where a table's bank byte and 3-byte SNES address stand, with their names
// and the table's in messages.
struct BankedTableFields {
  std::int64_t bankField;
  const char* bankName;
  std::int64_t addressField;
  const char* addressName;
  const char* tableName;
};

// Reads the bank byte, the table's address and entries [0, entries).
void ReadBankedTable(RomImage& rom, const BankedTableFields& fields, int entries,
                     BankedPointerTable& table);

// The file offset of the data that `entry` points at.
std::uint32_t BankedOffset(const BankedPointerTable& table, std::uint16_t entry);

// Reads entries [first, end) from the table's address; `what` names the table in messages.
void ReadTableEntries(RomImage& rom, BankedPointerTable& table, int first, int end,
                      const char* what);

// The part of a room's data that its record holds.
using RecordData = std::span<const std::uint8_t> (*)(const RoomData& room);

struct RoomRecords {
  std::vector<RoomLabel> labels;
  std::uint32_t size = 0;  // of all records
};

// Every room's label, from `labelFormat` and the room number, and the size of all records.
RoomRecords SizeRoomRecords(const RoomSet& rooms, const char* labelFormat, RecordData data);

// Writes the records from the position, pointing entry `room` of the table at
// offset `table` at that room's data; returns where the last room's data begin.
std::int64_t WriteRoomRecords(RomImage& out, const RoomSet& rooms, const RoomRecords& records,
                              RecordData data, std::int64_t table);

// The bytes that the labels of all 320 records take.
std::int64_t AllLabelsSize(const char* labelFormat);
