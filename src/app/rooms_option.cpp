#include "app/rooms_option.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "rooms/room_data.h"

namespace {

std::optional<int> DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  if (value >= base) {
    return std::nullopt;
  }
  return value;
}

// A room number 0 to 319 in decimal, or in hexadecimal after "0x" or "$".
std::optional<std::int32_t> ParseRoom(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with("$")) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  std::int32_t room = 0;
  for (const char c : text) {
    const std::optional<int> digit = DigitValue(c, base);
    if (!digit) {
      return std::nullopt;
    }
    room = room * base + *digit;
    if (room >= ROOM_COUNT) {
      return std::nullopt;
    }
  }
  return room;
}

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
  const std::optional<std::int32_t> first = ParseRoom(firstSource);
  const std::optional<std::int32_t> last = ParseRoom(lastSource);
  const std::optional<std::int32_t> destination =
      colon == std::string_view::npos ? first : ParseRoom(item.substr(colon + 1));
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
