#include "tables/list_ends.h"

#include <algorithm>
#include <cstring>

#include "rom/byte_list.h"

namespace {

// The first FF FF pair that starts in [from, to), or `to`; the byte behind
// `to` - 1 is looked at, so `to` must be below the size.
std::size_t FindPair(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to) {
  const std::uint8_t* const data = bytes.data();
  for (std::size_t at = from; at < to; ++at) {
    const void* found = std::memchr(data + at, LIST_END_BYTE, to - at);
    if (found == nullptr) {
      return to;
    }
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - data);
    if (data[at + 1] == LIST_END_BYTE) {
      return at;
    }
  }
  return to;
}

ListEnd Ended(ListEnding ending, std::size_t size) {
  ListEnd end;
  end.ending = ending;
  end.size = size;
  return end;
}

ListEnd OutOfBytesAt(std::size_t at, std::size_t needed) {
  ListEnd end = Ended(ListEnding::OutOfBytes, at);
  end.needed = needed;
  return end;
}

// Layer data that end before their third pair, at `at`: the pairs found stay.
ListEnd OutOfBytesAfter(ListEnd found, std::size_t at) {
  found.ending = ListEnding::OutOfBytes;
  found.size = at;
  found.needed = 2;
  return found;
}

}  // namespace

ListEnd LayerDataEnd(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  ListEnd end;
  std::size_t position = 0;
  std::size_t budget = LAYER_STEP_BUDGET;
  while (end.pairCount < LAYER_SECTIONS && budget > 0) {
    if (position + 2 > size) {
      return OutOfBytesAfter(end, position);
    }
    const std::size_t budgetEnd = position + budget;
    const std::size_t pairsEnd = size - 1;  // where no pair can start
    const std::size_t pair = FindPair(bytes, position, std::min(budgetEnd, pairsEnd));
    if (pair == budgetEnd) {
      position = budgetEnd;
      break;
    }
    if (pair == pairsEnd) {
      return OutOfBytesAfter(end, pair);
    }
    budget -= pair - position + 1;
    position = pair + 2;
    end.pairs.at(static_cast<std::size_t>(end.pairCount++)) = pair;
  }
  if (end.pairCount < LAYER_SECTIONS) {
    end.ending = ListEnding::ScanLimit;
  } else if (position < size && bytes[position] == LIST_END_BYTE) {
    ++position;  // the optional 0xFF behind the last section
  }
  end.size = position;
  return end;
}

ListEnd SpriteListEnd(std::span<const std::uint8_t> bytes) {
  const std::size_t searched = std::min(bytes.size(), SPRITE_LIST_LIMIT);
  const void* found = searched == 0 ? nullptr : std::memchr(bytes.data(), LIST_END_BYTE, searched);
  if (found != nullptr) {
    return Ended(
        ListEnding::EndMarker,
        static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data()) + 1);
  }
  if (searched < SPRITE_LIST_LIMIT) {
    return OutOfBytesAt(searched, 1);
  }
  return Ended(ListEnding::ScanLimit, SPRITE_LIST_LIMIT);
}

ListEnd ItemListEnd(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  if (size < 2) {
    return OutOfBytesAt(0, 2);
  }
  const std::size_t pairsEnd = size - 1;
  const std::size_t pair = FindPair(bytes, 0, std::min(ITEM_BYTE_BUDGET, pairsEnd));
  if (pair == ITEM_BYTE_BUDGET) {
    return Ended(ListEnding::ScanLimit, ITEM_BYTE_BUDGET);
  }
  if (pair == pairsEnd) {
    return OutOfBytesAt(pair, 2);
  }
  return Ended(ListEnding::EndMarker, pair + 2);
}

ListEnd EndOfListAlone(ListKind kind, std::span<const std::uint8_t> list) {
  ByteList followed(list.size() + 1);
  std::copy(list.begin(), list.end(), followed.begin());
  followed.back() = 0x00;
  switch (kind) {
    case ListKind::LayerData:
      return LayerDataEnd(followed);
    case ListKind::SpriteList:
      return SpriteListEnd(followed);
    case ListKind::ItemList:
      break;
  }
  return ItemListEnd(followed);
}

std::size_t LongestList(ListKind kind) {
  switch (kind) {
    case ListKind::LayerData:
      // The third pair starts at most 1 byte past the budget, and its 0xFF follows.
      return LAYER_STEP_BUDGET + 4;
    case ListKind::SpriteList:
      return SPRITE_LIST_LIMIT;
    case ListKind::ItemList:
      break;
  }
  return ITEM_BYTE_BUDGET + 1;
}
