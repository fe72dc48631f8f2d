#include "rooms/room_number.h"

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

}  // namespace

std::optional<std::int32_t> ParseRoomNumber(std::string_view text) {
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
