#include "app/game_check.h"

#include <vector>

#include "picture/room_load_check.h"
#include "rom/format.h"
#include "rooms/room_data.h"

namespace {

constexpr int NOT_MOVED = -1;

std::string NotMade(const std::string& why) {
  return Format("Game check not made: %s.\n", why.c_str());
}

// The source room each destination room holds after the transfer, or NOT_MOVED.
std::vector<int> SourceOfEachRoom(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  std::vector<int> sourceOf(ROOM_COUNT, NOT_MOVED);
  for (std::size_t pair = 0; pair < sourceRooms.size() && pair < destinationRooms.size(); ++pair) {
    sourceOf.at(static_cast<std::size_t>(destinationRooms[pair])) = sourceRooms[pair];
  }
  return sourceOf;
}

std::string Place(std::uint32_t workRamOffset) {
  return Format("$%02X:%04X", 0x7E + (workRamOffset >> 16), workRamOffset & 0xFFFF);
}

std::string DescribePart(const LoadDifference& difference) {
  const LoadRegion& region = *difference.region;
  if (region.kind == RegionKind::Tilemap) {
    return Format("%s tile (%u, %u)", region.name, difference.entry % TILEMAP_COLUMNS,
                  difference.entry / TILEMAP_COLUMNS);
  }
  const std::string place = Place(region.start + difference.entry * region.entrySize);
  if (region.kind == RegionKind::SlotPointers) {
    return Format("%s entry %u (%s), the table entry it points at", region.name, difference.entry,
                  place.c_str());
  }
  if (region.length == region.entrySize) return Format("%s (%s)", region.name, place.c_str());
  return Format("%s entry %u (%s)", region.name, difference.entry, place.c_str());
}

std::string Value(std::uint32_t value, std::uint32_t size) {
  return size == 2 ? Format("0x%04X", value) : Format("0x%02X", value);
}

std::string ApartNote(int sourceRoom, int destinationRoom) {
  for (const int room : {sourceRoom, destinationRoom}) {
    if (IsTreatedApart(room)) {
      return Format(" (room 0x%03X is treated apart by the game's loading code)", room);
    }
  }
  return "";
}

// The line for one pair, or "" when both loads agree.
std::string ComparePair(RoomLoader& source, RoomLoader& out, int sourceRoom, int destinationRoom) {
  const std::string pair = Format("Room 0x%03X onto 0x%03X", sourceRoom, destinationRoom);
  const std::string note = ApartNote(sourceRoom, destinationRoom);
  const RoomLoad sourceLoad = LoadRoom(source, sourceRoom);
  if (!sourceLoad.loaded) {
    return Format("%s does not load in the source: %s%s\n", pair.c_str(), sourceLoad.stop.c_str(),
                  note.c_str());
  }
  const RoomLoad outLoad = LoadRoom(out, destinationRoom);
  if (!outLoad.loaded) {
    return Format("%s does not load in the new ROM: %s%s\n", pair.c_str(), outLoad.stop.c_str(),
                  note.c_str());
  }
  const LoadDifference difference = FirstLoadDifference(source.machine.bus, out.machine.bus);
  if (difference.region == nullptr) return "";
  const std::uint32_t size = difference.region->entrySize;
  return Format("%s loads differently: %s: %s in the source, %s in the new ROM%s\n", pair.c_str(),
                DescribePart(difference).c_str(), Value(difference.first, size).c_str(),
                Value(difference.second, size).c_str(), note.c_str());
}

std::string Summary(int differing, int moved) {
  const char* rooms = moved == 1 ? "room" : "rooms";
  if (differing == 0) {
    return Format("%d moved %s load%s in the new ROM as in the source\n", moved, rooms,
                  moved == 1 ? "s" : "");
  }
  return Format("%d of %d moved %s load%s differently in the new ROM\n", differing, moved, rooms,
                differing == 1 ? "s" : "");
}

}  // namespace

GameCheckReport CheckRoomsInGame(const GameCheckSource& source, const RomImage& out,
                                 const RoomList& sourceRooms, const RoomList& destinationRooms) {
  if (source.rom == nullptr) {
    return GameCheckReport{
        NotMade(source.name + " is a room pack, which holds no code of the game")};
  }
  for (const RomImage* rom : {source.rom, &out}) {
    const std::string missing = MissingLoadingCode(*rom);
    if (!missing.empty()) return GameCheckReport{NotMade(missing)};
  }
  RoomLoader sourceLoader;
  RoomLoader outLoader;
  PrepareRoomLoader(sourceLoader, source.rom->bytes);
  PrepareRoomLoader(outLoader, out.bytes);
  const std::vector<int> sourceOf = SourceOfEachRoom(sourceRooms, destinationRooms);
  GameCheckReport report;
  report.made = true;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const int sourceRoom = sourceOf.at(static_cast<std::size_t>(room));
    if (sourceRoom == NOT_MOVED) continue;
    ++report.moved;
    const std::string line = ComparePair(sourceLoader, outLoader, sourceRoom, room);
    if (!line.empty()) ++report.differing;
    report.text += line;
  }
  report.text += Summary(report.differing, report.moved);
  return report;
}
