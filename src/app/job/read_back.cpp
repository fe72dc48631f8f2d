#include "app/job/read_back.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "app/job/all_rooms.h"
#include "rom/format.h"
#include "tables/pushable_blocks.h"
#include "tables/room_doors.h"
#include "tables/torches.h"

namespace {

constexpr std::uint8_t TRAILING_LAYER_BYTE = 0xFF;

template <typename List>
std::string DescribeListDifference(const List& written, const List& readBack, const char* unit) {
  const std::size_t common = std::min(written.size(), readBack.size());
  const auto mismatch = std::mismatch(written.begin(), written.begin() + common, readBack.begin());
  const auto index = static_cast<std::size_t>(mismatch.first - written.begin());
  std::string detail;
  if (written.size() != readBack.size()) {
    detail = Format("written %zu %ss, reads back %zu", written.size(), unit, readBack.size());
    if (index < common) {
      detail += Format("; first difference at %s %zu", unit, index);
    }
    return detail;
  }
  return Format("%s %zu: written 0x%X, reads back 0x%X", unit, index,
                static_cast<unsigned>(*mismatch.first), static_cast<unsigned>(*mismatch.second));
}

std::string DescribeOptional(const std::optional<std::uint32_t>& offset) {
  return offset ? Format("0x%X", *offset) : std::string("none");
}

bool Contains(const std::vector<int>& rooms, int room) {
  return std::find(rooms.begin(), rooms.end(), room) != rooms.end();
}

// Layer data written without the optional trailing byte, that read back with it.
bool GainedTrailingByte(const ByteList& written, const ByteList& readBack) {
  return readBack.size() == written.size() + 1 && readBack.back() == TRAILING_LAYER_BYTE &&
         std::equal(written.begin(), written.end(), readBack.begin());
}

bool OutputHasDoorTable(RomImage& out) { return DoorTableOffset(out).has_value(); }

// What the comparison needs to know about the writers and the output.
struct Expectations {
  std::vector<int> torchesLeftOut;
  std::vector<int> blocksLeftOut;
  RomImage& out;
  std::optional<bool> doorTable;  // looked up at the first door difference

  bool OutputHasDoors() {
    if (!doorTable) {
      doorTable = OutputHasDoorTable(out);
    }
    return *doorTable;
  }
};

void CompareRoom(int room, const RoomData& written, const RoomData& readBack,
                 Expectations& expectations, std::vector<RoomDifference>& differences) {
  auto note = [&](const char* kind, std::string detail, bool expected) {
    differences.push_back({room, kind, std::move(detail), expected});
  };
  if (written.header != readBack.header) {
    note("header", DescribeListDifference(written.header, readBack.header, "byte"), false);
  }
  if (written.layerData != readBack.layerData) {
    note("layer data", DescribeListDifference(written.layerData, readBack.layerData, "byte"),
         GainedTrailingByte(written.layerData, readBack.layerData));
  }
  if (written.doorOffset != readBack.doorOffset) {
    const bool expected = !written.doorOffset || !expectations.OutputHasDoors();
    note("door offset",
         Format("written %s, reads back %s", DescribeOptional(written.doorOffset).c_str(),
                DescribeOptional(readBack.doorOffset).c_str()),
         expected);
  }
  if (written.spriteData != readBack.spriteData) {
    note("sprites", DescribeListDifference(written.spriteData, readBack.spriteData, "byte"), false);
  }
  if (written.itemData != readBack.itemData) {
    note("items", DescribeListDifference(written.itemData, readBack.itemData, "byte"), false);
  }
  if (written.pushableBlocks != readBack.pushableBlocks) {
    const bool leftOut = Contains(expectations.blocksLeftOut, room);
    note("pushable blocks",
         DescribeListDifference(written.pushableBlocks, readBack.pushableBlocks, "word") +
             (leftOut ? "; left out for lack of room" : ""),
         leftOut && readBack.pushableBlocks.empty());
  }
  if (written.torches != readBack.torches) {
    const bool leftOut = Contains(expectations.torchesLeftOut, room);
    note("torches",
         DescribeListDifference(written.torches, readBack.torches, "word") +
             (leftOut ? "; left out for lack of room" : ""),
         leftOut && readBack.torches.empty());
  }
  if (written.chests != readBack.chests) {
    note("chests", DescribeListDifference(written.chests, readBack.chests, "byte"), false);
  }
  if (written.hasPit != readBack.hasPit) {
    note("pit", Format("written %u, reads back %u", written.hasPit, readBack.hasPit), false);
  }
  if (written.message != readBack.message) {
    note("message", Format("written 0x%04X, reads back 0x%04X", written.message, readBack.message),
         false);
  }
}

}  // namespace

void ReadBackOutput(RomImage& out, RoomSet& rooms) {
  const std::int64_t position = Tell(out);
  EmptyRoomSet(rooms);
  ReadAllRooms(out, rooms);
  Seek(out, position);
}

RoomSet ReadBackOutput(RomImage& out) {
  RoomSet rooms;
  ReadBackOutput(out, rooms);
  return rooms;
}

std::vector<RoomDifference> CompareReadBack(const RoomSet& written, const RoomSet& readBack,
                                            RomImage& out, std::uint32_t torchLimit) {
  Expectations expectations{RoomsLeftOutOfTorchTable(written, torchLimit),
                            RoomsLeftOutOfPushableBlockTable(written), out, std::nullopt};
  std::vector<RoomDifference> differences;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    CompareRoom(room, written[room], readBack[room], expectations, differences);
  }
  return differences;
}
