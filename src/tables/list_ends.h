// Where a room's layer data, sprite list and item list end: the one reading
// of their ends, used by the ROM's readers and by the room pack's reader.
//
// Layer data: three sections, each ended by the pair FF FF, looked for at
// every byte position (not only where an object would start); a pair once
// found is taken whole. When the byte behind the third pair is 0xFF it belongs
// to the data too. Every byte passed over and each of the first two pairs is
// one step of a budget of 32768: data that show no third pair within it end
// where the budget does.
//
// Sprite list: the bytes up to and with the first 0xFF; at most 32768 bytes
// are read, and a list without 0xFF among them ends there.
//
// Item list: the bytes up to and with the first FF FF pair that starts within
// 32768 bytes (at any byte position); a list without one ends after 32768 bytes.
//
// A ROM's reader scans the bytes from the list's start to the end of the file.
// A room pack holds each list alone: it reads as the ROM's reader would read
// the list with a byte behind it that continues no list (0x00), so a pack's
// list is either ended by its end marker or exactly as long as a list cut
// short at the scan's limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

constexpr int LAYER_STEP_BUDGET = 32768;
constexpr int LAYER_SECTIONS = 3;
constexpr std::size_t SPRITE_LIST_LIMIT = 0x8000;
constexpr std::size_t ITEM_BYTE_BUDGET = 32768;
constexpr std::uint8_t LIST_END_BYTE = 0xFF;  // layer and item lists end in two of them

enum class ListKind { LayerData, SpriteList, ItemList };

enum class ListEnding {
  EndMarker,   // the last end marker found (a layer's third pair, with its 0xFF)
  ScanLimit,   // cut short where the scan's limit is reached
  OutOfBytes,  // the bytes end before either
};

struct ListEnd {
  ListEnding ending = ListEnding::EndMarker;
  // EndMarker, ScanLimit: the list's length. OutOfBytes: where the read that
  // finds no byte starts, and how many bytes it needs there.
  std::size_t size = 0;
  std::size_t needed = 0;
  // Layer data: the offsets of the pairs found, one per section ended.
  std::array<std::size_t, LAYER_SECTIONS> pairs{};
  int pairCount = 0;
};

// The ends of the list that starts at the first of `bytes`.
ListEnd LayerDataEnd(std::span<const std::uint8_t> bytes);
ListEnd SpriteListEnd(std::span<const std::uint8_t> bytes);
ListEnd ItemListEnd(std::span<const std::uint8_t> bytes);

// The end of a list held alone, as in a room pack (see above).
ListEnd EndOfListAlone(ListKind kind, std::span<const std::uint8_t> list);

// The most bytes a list of the kind can hold: its scan ends by then.
std::size_t LongestList(ListKind kind);
