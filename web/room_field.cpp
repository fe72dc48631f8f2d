#include "room_field.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "rom/format.h"
#include "rooms/room_number.h"

namespace {

std::vector<std::string_view> SplitItems(std::string_view list) {
  std::vector<std::string_view> items;
  while (true) {
    const std::size_t comma = list.find(',');
    items.push_back(list.substr(0, comma));
    if (comma == std::string_view::npos) {
      return items;
    }
    list.remove_prefix(comma + 1);
  }
}

std::string JoinItems(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) {
    list += (list.empty() ? "" : ",") + item;
  }
  return list;
}

// `value` written as `like` is: its prefix, base, letter case and, where it
// has a leading zero, its width.
std::string InFormOf(std::int32_t value, std::string_view like) {
  std::string prefix;
  if (like.starts_with("0x") || like.starts_with("0X")) {
    prefix = like.substr(0, 2);
  } else if (like.starts_with("$")) {
    prefix = "$";
  }
  const std::string_view digits = like.substr(prefix.size());
  const bool hex = !prefix.empty();
  const bool lower = std::any_of(digits.begin(), digits.end(), [](char c) { return c >= 'a'; });
  const int width =
      digits.size() > 1 && digits.front() == '0' ? static_cast<int>(digits.size()) : 1;
  return prefix + Format(hex ? (lower ? "%0*x" : "%0*X") : "%0*d", width, value);
}

// One --rooms item: FIRST[..LAST]:DESTINATION, its numbers as typed.
struct RangeItem {
  std::string_view first;
  std::string_view last;
  std::string_view destination;
  std::int32_t firstRoom = 0;
  std::int32_t lastRoom = 0;
  std::int32_t destinationRoom = 0;
};

std::optional<RangeItem> ReadItem(std::string_view item) {
  const std::size_t colon = item.find(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  RangeItem range;
  const std::string_view sources = item.substr(0, colon);
  const std::size_t dots = sources.find("..");
  range.first = sources.substr(0, dots);
  range.last = dots == std::string_view::npos ? sources : sources.substr(dots + 2);
  range.destination = item.substr(colon + 1);
  const auto first = ParseRoomNumber(range.first);
  const auto last = ParseRoomNumber(range.last);
  const auto destination = ParseRoomNumber(range.destination);
  if (!first || !last || !destination || *first > *last) {
    return std::nullopt;
  }
  range.firstRoom = *first;
  range.lastRoom = *last;
  range.destinationRoom = *destination;
  return range;
}

// The rooms `first` to `last` of `range` as an item of their own.
std::string PartOf(const RangeItem& range, std::int32_t first, std::int32_t last) {
  std::string item = InFormOf(first, range.first);
  if (last > first) {
    item += ".." + InFormOf(last, range.last);
  }
  return item + ":" +
         InFormOf(range.destinationRoom + (first - range.firstRoom), range.destination);
}

std::string RoomsOptionWithoutPair(const std::string& field, std::size_t index) {
  std::vector<std::string> kept;
  std::size_t pairsBefore = 0;
  for (const std::string_view item : SplitItems(field)) {
    const std::optional<RangeItem> range = ReadItem(item);
    if (!range) {
      return field;
    }
    const auto count = static_cast<std::size_t>(range->lastRoom - range->firstRoom + 1);
    if (index < pairsBefore || index >= pairsBefore + count) {
      kept.emplace_back(item);
    } else {
      const auto removed = range->firstRoom + static_cast<std::int32_t>(index - pairsBefore);
      if (removed > range->firstRoom) {
        kept.push_back(PartOf(*range, range->firstRoom, removed - 1));
      }
      if (removed < range->lastRoom) {
        kept.push_back(PartOf(*range, removed + 1, range->lastRoom));
      }
    }
    pairsBefore += count;
  }
  return JoinItems(kept);
}

// Where the numbers of a ROOMS list stand: runs of characters between "-".
std::vector<std::pair<std::size_t, std::size_t>> TokenSpans(const std::string& list) {
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  std::size_t start = 0;
  while (start < list.size()) {
    if (list[start] == '-') {
      ++start;
      continue;
    }
    const std::size_t end = std::min(list.find('-', start), list.size());
    spans.emplace_back(start, end);
    start = end;
  }
  return spans;
}

std::string RoomListWithoutPair(const std::string& field, std::size_t index) {
  const auto spans = TokenSpans(field);
  const std::size_t first = 2 * index;
  if (first + 1 >= spans.size()) {
    return field;
  }
  std::string list = field;
  if (first + 2 < spans.size()) {
    list.erase(spans[first].first, spans[first + 2].first - spans[first].first);
  } else if (first > 0) {
    list.erase(spans[first - 1].second, spans[first + 1].second - spans[first - 1].second);
  } else {
    list.clear();
  }
  return list;
}

std::string PairsInRoomsOptionForm(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  std::string list;
  for (std::size_t i = 0; i < sourceRooms.size() && i < destinationRooms.size(); ++i) {
    list += Format("%s%d:%d", i == 0 ? "" : ",", sourceRooms[i], destinationRooms[i]);
  }
  return list;
}

}  // namespace

bool InRoomsOptionForm(const std::string& field) {
  return field.find(':') != std::string::npos || field.find("..") != std::string::npos;
}

bool ReadField(const std::string& field, RoomList& sourceRooms, RoomList& destinationRooms) {
  bool wellFormed = true;
  if (InRoomsOptionForm(field)) {
    wellFormed = ParseRoomsOption(field, sourceRooms, destinationRooms);
  } else {
    ParseRoomList(field, sourceRooms, destinationRooms);
  }
  return wellFormed && CheckRoomLists(sourceRooms, destinationRooms);
}

std::string FieldAsPairs(const std::string& field) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  if (!ReadField(field, sourceRooms, destinationRooms)) {
    return "";
  }
  return PairsInRoomsOptionForm(sourceRooms, destinationRooms);
}

std::string FieldWithPair(const std::string& field, int source, int destination) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  if (!field.empty() && !ReadField(field, sourceRooms, destinationRooms)) {
    return field;
  }
  sourceRooms.push_back(source);
  destinationRooms.push_back(destination);
  if (!CheckRoomLists(sourceRooms, destinationRooms)) {
    return field;
  }
  const std::string pair = Format("%d:%d", source, destination);
  if (field.empty()) {
    return pair;
  }
  if (InRoomsOptionForm(field)) {
    return field + "," + pair;
  }
  return PairsInRoomsOptionForm(sourceRooms, destinationRooms);
}

std::string FieldWithoutPair(const std::string& field, std::size_t index) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  if (!ReadField(field, sourceRooms, destinationRooms) || index >= sourceRooms.size()) {
    return field;
  }
  if (sourceRooms.size() == 1) {
    return "";
  }
  return InRoomsOptionForm(field) ? RoomsOptionWithoutPair(field, index)
                                  : RoomListWithoutPair(field, index);
}
