#include "app/rooms_option.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "rooms/room_data.h"
#include "rooms/room_number.h"

namespace {

bool AppendItem(std::string_view item, RoomList& sourceRooms, RoomList& destinationRooms,
                LoneItems lone) {
  const std::size_t colon = item.find(':');
  if (colon == std::string_view::npos && lone == LoneItems::Refused) {
    return false;
  }
  std::string_view sources = item.substr(0, colon);
  std::string_view firstSource = sources;
  std::string_view lastSource = sources;
  if (const std::size_t dots = sources.find(".."); dots != std::string_view::npos) {
    firstSource = sources.substr(0, dots);
    lastSource = sources.substr(dots + 2);
  }
  const std::optional<std::int32_t> first = ParseRoomNumber(firstSource);
  const std::optional<std::int32_t> last = ParseRoomNumber(lastSource);
  const std::optional<std::int32_t> destination =
      colon == std::string_view::npos ? first : ParseRoomNumber(item.substr(colon + 1));
  if (!first || !last || !destination || *first > *last ||
      *destination + (*last - *first) >= ROOM_COUNT) {
    return false;
  }
  for (std::int32_t room = *first; room <= *last; ++room) {
    sourceRooms.push_back(room);
    destinationRooms.push_back(*destination + (room - *first));
  }
  return true;
}

}  // namespace

bool ParseRoomsOption(const std::string& list, RoomList& sourceRooms, RoomList& destinationRooms,
                      LoneItems lone) {
  std::string_view rest = list;
  while (true) {
    const std::size_t comma = rest.find(',');
    if (!AppendItem(rest.substr(0, comma), sourceRooms, destinationRooms, lone)) {
      return false;
    }
    if (comma == std::string_view::npos) {
      return true;
    }
    rest.remove_prefix(comma + 1);
  }
}

RoomList RoomsNamedIn(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  RoomList rooms = sourceRooms;
  rooms.insert(rooms.end(), destinationRooms.begin(), destinationRooms.end());
  std::sort(rooms.begin(), rooms.end());
  rooms.erase(std::unique(rooms.begin(), rooms.end()), rooms.end());
  return rooms;
}
