#include "tables/torches.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "rom/block_output.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/snes_address.h"

namespace {

// The torch table as one run of `size` bytes behind its windows. A window's
// address is read only when a byte of it is read, so windows lying wholly
// past the table are never touched.
struct TorchTableView {
  std::uint32_t size = 0;
  std::array<std::optional<std::uint32_t>, TORCH_WINDOW_FIELDS.size()> windowOffsets{};
};

std::uint32_t WindowOffset(RomImage& rom, TorchTableView& view, std::size_t window) {
  std::optional<std::uint32_t>& offset = view.windowOffsets.at(window);
  if (!offset) {
    SetReading(rom, Format("torch table window %zu address", window));
    Seek(rom, TORCH_WINDOW_FIELDS.at(window));
    offset = SnesToPc(ReadLong(rom));
  }
  return *offset;
}

std::uint16_t ReadTableWord(RomImage& rom, TorchTableView& view, std::uint32_t index) {
  const std::int64_t windowStart = WindowOffset(rom, view, index / TORCH_WINDOW_SIZE);
  SetReading(rom, "torch table word at byte", index);
  Seek(rom, windowStart + index % TORCH_WINDOW_SIZE);
  return ReadWord(rom);
}

// Appends the torch words from `index` up to the end word and returns the
// index behind it. An entry cut off by the end of the table keeps the words
// read so far.
std::uint32_t ReadTorchWords(RomImage& rom, TorchTableView& view, std::uint32_t index,
                             WordList& torches) {
  while (index + 2 <= view.size) {
    const std::uint16_t torch = ReadTableWord(rom, view, index);
    index += 2;
    if (torch == TORCH_END_WORD) {
      break;
    }
    torches.push_back(torch);
  }
  return index;
}

void AppendWord(ByteList& list, std::uint16_t word) {
  list.push_back(static_cast<std::uint8_t>(word & 0xFF));
  list.push_back(static_cast<std::uint8_t>(word >> 8));
}

// One entry per room with torches, rooms 0 to 319 in ascending order,
// leaving out (and reporting) every room whose entry would not fit.
ByteList BuildTorchTable(const RoomSet& rooms, std::uint32_t limit, std::FILE* console) {
  const std::vector<int> leftOut = RoomsLeftOutOfTorchTable(rooms, limit);
  for (const int room : leftOut) {
    Report(console, Format("Not enough memory for torches for room %d\n", room));
  }
  ByteList table;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const WordList& torches = rooms[room].torches;
    if (torches.empty() || std::find(leftOut.begin(), leftOut.end(), room) != leftOut.end()) {
      continue;
    }
    AppendWord(table, static_cast<std::uint16_t>(room));
    for (const std::uint16_t torch : torches) {
      AppendWord(table, torch);
    }
    AppendWord(table, TORCH_END_WORD);
  }
  return table;
}

}  // namespace

std::uint32_t TorchEntrySize(const WordList& torches) {
  return static_cast<std::uint32_t>(2 * torches.size() + 4);
}

std::vector<int> RoomsLeftOutOfTorchTable(const RoomSet& rooms, std::uint32_t limit) {
  std::vector<int> leftOut;
  std::size_t size = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const WordList& torches = rooms[room].torches;
    if (torches.empty()) {
      continue;
    }
    if (size + TorchEntrySize(torches) > limit) {
      leftOut.push_back(room);
    } else {
      size += TorchEntrySize(torches);
    }
  }
  return leftOut;
}

void ReadRoomTorches(RomImage& rom, RoomSet& rooms) {
  TorchTableView view;
  view.size = std::min<std::uint32_t>(ReadWordAt(rom, TORCH_COUNT_FIELD, "torch table count"),
                                      TORCH_TABLE_LIMIT);
  std::uint32_t index = 0;
  while (index + 2 <= view.size) {
    const std::uint16_t room = ReadTableWord(rom, view, index);
    index += 2;
    if (room != TORCH_END_WORD && room < ROOM_COUNT) {
      index = ReadTorchWords(rom, view, index, rooms[room].torches);
    }
  }
}

void WriteRoomTorches(OutputRom& out, const RoomSet& rooms) {
  const ByteList label = LabelBlock(TORCH_TABLE_LABEL);
  const ByteList table = BuildTorchTable(rooms, TORCH_TABLE_LIMIT, out.console);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());

  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomTorches", uiDataSize,
                                             static_cast<std::uint32_t>(label.size()) + uiDataSize);
  WriteBytes(out, label);
  const std::int64_t tableStart = Tell(out);
  WriteWordAt(out, TORCH_COUNT_FIELD, static_cast<std::uint16_t>(uiDataSize));
  WriteWindowAddresses(out, TORCH_WINDOW_FIELDS, tableStart, TORCH_WINDOW_SIZE);
  WriteBytes(out, table);
  RecordBlock(out, BlockKind::Torches, blockStart, Tell(out));
}

void WriteRoomTorchesInPlace(OutputRom& out, const RoomSet& rooms) {
  const ByteList table = BuildTorchTable(rooms, GAME_TORCH_SPACE, out.console);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());
  Report(out, Format("WriteRoomTorches(): uiDataSize = %X\n", uiDataSize));
  const std::int64_t end = Tell(out);
  Seek(out, TORCH_COUNT_FIELD);
  WriteWord(out, static_cast<std::uint16_t>(uiDataSize));
  Seek(out, GAME_TORCH_TABLE);
  WriteBytes(out, table);
  RecordRegion(out, "Torch table", GAME_TORCH_TABLE, table.size(), GAME_TORCH_SPACE);
  Seek(out, end);
}

void RefuseTorchWindowsAway(RomImage& rom) {
  for (std::size_t window = 0; window < TORCH_WINDOW_FIELDS.size(); ++window) {
    SetReading(rom, Format("torch table window %zu address", window));
    Seek(rom, TORCH_WINDOW_FIELDS.at(window));
    const std::uint32_t address = ReadLong(rom);
    const std::uint32_t expected =
        PcToSnes(GAME_TORCH_TABLE + static_cast<std::uint32_t>(window) * TORCH_WINDOW_SIZE);
    if (address != expected) {
      StopRun(
          Format("%s: the torch table window at offset 0x%X holds $%02X:%04X where the game "
                 "has $%02X:%04X; the dungeon editors read and write the torch table only "
                 "at $04:F36A (offset 0x%X), so it cannot be kept editable.\n",
                 rom.name.c_str(), TORCH_WINDOW_FIELDS.at(window), address >> 16, address & 0xFFFF,
                 expected >> 16, expected & 0xFFFF, GAME_TORCH_TABLE));
    }
  }
}
