#include "tables/pushable_blocks.h"

#include <algorithm>
#include <cstdio>

#include "rom/block_output.h"
#include "rom/format.h"
#include "rom/snes_address.h"

namespace {

void AppendWord(ByteList& list, std::uint16_t word) {
  list.push_back(static_cast<std::uint8_t>(word & 0xFF));
  list.push_back(static_cast<std::uint8_t>(word >> 8));
}

// Reads the entries of one window that lie below `end`, a table byte index.
void ReadWindow(RomImage& rom, RoomSet& rooms, std::size_t window, std::uint32_t end) {
  SetReading(rom, Format("pushable block window %zu address", window));
  Seek(rom, PUSHABLE_BLOCK_WINDOW_FIELDS.at(window));
  Seek(rom, SnesToPc(ReadLong(rom)));
  const auto base = static_cast<std::uint32_t>(window) * PUSHABLE_BLOCK_WINDOW_SIZE;
  for (std::uint32_t index = base; index < end && index < base + PUSHABLE_BLOCK_WINDOW_SIZE;
       index += PUSHABLE_BLOCK_ENTRY_SIZE) {
    SetReading(rom, "pushable block table entry at byte", index);
    const std::uint16_t room = ReadWord(rom);
    const std::uint16_t block = ReadWord(rom);
    if (room < ROOM_COUNT) {
      rooms[room].pushableBlocks.push_back(block);
    }
  }
}

// The entries of rooms 0 to 319 in ascending order, leaving out (and
// reporting) every room whose blocks would take the table past its limit.
ByteList BuildBlockTable(const RoomSet& rooms, std::FILE* console) {
  const std::vector<int> leftOut = RoomsLeftOutOfPushableBlockTable(rooms);
  for (const int room : leftOut) {
    Report(console, Format("Not enough memory for pushable blocks for room %d\n", room));
  }
  ByteList table;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (std::find(leftOut.begin(), leftOut.end(), room) != leftOut.end()) {
      continue;
    }
    for (const std::uint16_t block : rooms[room].pushableBlocks) {
      AppendWord(table, static_cast<std::uint16_t>(room));
      AppendWord(table, block);
    }
  }
  return table;
}

}  // namespace

std::vector<int> RoomsLeftOutOfPushableBlockTable(const RoomSet& rooms) {
  std::vector<int> leftOut;
  std::size_t size = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::size_t entries = rooms[room].pushableBlocks.size() * PUSHABLE_BLOCK_ENTRY_SIZE;
    if (entries == 0) {
      continue;
    }
    if (size + entries > PUSHABLE_BLOCK_TABLE_LIMIT) {
      leftOut.push_back(room);
    } else {
      size += entries;
    }
  }
  return leftOut;
}

std::size_t PushableBlocksWritten(const RoomSet& rooms) {
  const std::vector<int> leftOut = RoomsLeftOutOfPushableBlockTable(rooms);
  std::size_t written = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    if (std::find(leftOut.begin(), leftOut.end(), room) == leftOut.end()) {
      written += rooms[room].pushableBlocks.size();
    }
  }
  return written;
}

void ReportBlocksEditorsCannotSave(const RoomSet& rooms, std::FILE* console) {
  const std::size_t written = PushableBlocksWritten(rooms);
  if (written > EDITOR_PUSHABLE_BLOCK_LIMIT) {
    Report(console, Format("Pushable blocks: %zu, more than the %zu that dungeon editors save\n",
                           written, EDITOR_PUSHABLE_BLOCK_LIMIT));
  }
}

void ReadRoomPushableBlocks(RomImage& rom, RoomSet& rooms) {
  const std::uint32_t end =
      std::min<std::uint32_t>(ReadWordAt(rom, PUSHABLE_BLOCK_COUNT_FIELD, "pushable block count"),
                              PUSHABLE_BLOCK_TABLE_LIMIT);
  for (std::size_t window = 0; window < PUSHABLE_BLOCK_WINDOW_FIELDS.size(); ++window) {
    if (window * PUSHABLE_BLOCK_WINDOW_SIZE >= end) {
      break;
    }
    ReadWindow(rom, rooms, window, end);
  }
}

void WriteRoomPushableBlocks(OutputRom& out, const RoomSet& rooms, std::uint32_t reservedSize) {
  const ByteList label = LabelBlock(PUSHABLE_BLOCK_TABLE_LABEL);
  const ByteList table = BuildBlockTable(rooms, out.console);
  const auto uiDataSize = static_cast<std::uint32_t>(table.size());

  const std::uint32_t space = std::max(uiDataSize, reservedSize);
  const std::int64_t blockStart = PlaceBlock(out, "WriteRoomPushableBlocks", uiDataSize,
                                             static_cast<std::uint32_t>(label.size()) + space);
  WriteBytes(out, label);
  const std::int64_t tableStart = Tell(out);
  WriteWordAt(out, PUSHABLE_BLOCK_COUNT_FIELD, static_cast<std::uint16_t>(uiDataSize));
  WriteWindowAddresses(out, PUSHABLE_BLOCK_WINDOW_FIELDS, tableStart, PUSHABLE_BLOCK_WINDOW_SIZE);
  WriteBytes(out, table);
  Seek(out, tableStart + space);
  RecordBlock(out, BlockKind::PushableBlocks, blockStart, Tell(out));
}
