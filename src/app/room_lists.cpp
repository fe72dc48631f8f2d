#include "app/room_lists.h"

#include <cstdint>
#include <limits>

#include "rooms/room_data.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::int32_t ConvertToken(const std::string& token) {
  std::size_t i = 0;
  while (i < token.size() && IsSpace(token[i])) {
    ++i;
  }
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  std::int64_t value = 0;
  for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
    value = value * 10 + (token[i] - '0');
    if (value > std::numeric_limits<std::int32_t>::max() + std::int64_t{1}) {
      return -1;
    }
  }
  value = negative ? -value : value;
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    return -1;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

void ParseRoomList(const std::string& argument, RoomList& sourceRooms, RoomList& destinationRooms) {
  std::size_t tokenCount = 0;
  std::size_t start = 0;
  while (start < argument.size()) {
    if (argument[start] == '-') {
      ++start;
      continue;
    }
    std::size_t end = argument.find('-', start);
    if (end == std::string::npos) {
      end = argument.size();
    }
    const std::int32_t room = ConvertToken(argument.substr(start, end - start));
    (tokenCount % 2 == 0 ? sourceRooms : destinationRooms).push_back(room);
    ++tokenCount;
    start = end;
  }
}

bool CheckRoomLists(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  if (sourceRooms.empty() || destinationRooms.empty() ||
      sourceRooms.size() != destinationRooms.size()) {
    return false;
  }
  for (const RoomList* list : {&sourceRooms, &destinationRooms}) {
    for (const std::int32_t room : *list) {
      if (static_cast<std::uint32_t>(room) >= static_cast<std::uint32_t>(ROOM_COUNT)) {
        return false;
      }
    }
  }
  return true;
}

void FillIdentityRoomLists(RoomList& sourceRooms, RoomList& destinationRooms) {
  for (std::int32_t room = 0; room < ROOM_COUNT; ++room) {
    sourceRooms.push_back(room);
    destinationRooms.push_back(room);
  }
}
