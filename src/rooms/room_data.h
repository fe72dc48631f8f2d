// One dungeon room as the game stores it, and the 320 rooms of one ROM.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "rom/byte_list.h"

constexpr int ROOM_COUNT = 320;
constexpr std::size_t ROOM_HEADER_SIZE = 14;

struct RoomData {
  std::array<std::uint8_t, ROOM_HEADER_SIZE> header{};
  ByteList layerData;                         // three FF FF sections, optional trailing 0xFF
  ByteList spriteData;                        // normally ends with its 0xFF end byte
  ByteList itemData;                          // normally ends with FF FF
  std::vector<std::uint16_t> pushableBlocks;  // block words, table order
  std::vector<std::uint16_t> torches;         // torch words, without room and end words
  ByteList chests;                            // flag byte (0x00 or 0x80), item byte, per chest
  std::uint8_t hasPit = 0;
  std::uint16_t message = 0;
  // Where the room's door list starts inside layerData (right after its F0 FF),
  // when the ROM has a door pointer table that points into this room's data.
  std::optional<std::uint32_t> doorOffset;

  bool operator==(const RoomData&) const = default;
};

// Exactly ROOM_COUNT records, indexed by room number; indexing is bounds-checked.
struct RoomSet {
  std::vector<RoomData> rooms = std::vector<RoomData>(ROOM_COUNT);

  RoomData& operator[](std::size_t room) { return rooms.at(room); }
  const RoomData& operator[](std::size_t room) const { return rooms.at(room); }
  bool operator==(const RoomSet&) const = default;
};

// Empties every room of `rooms` as a fresh set has them, keeping the lists'
// storage for the next reading.
void EmptyRoomSet(RoomSet& rooms);
