#include "packs/pack_lines.h"

#include <algorithm>

#include "rom/format.h"
#include "tables/chests.h"
#include "tables/pushable_blocks.h"
#include "tables/room_doors.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_sprites.h"
#include "tables/torches.h"

namespace {

constexpr std::uint8_t END_BYTE = LIST_END_BYTE;
constexpr std::uint8_t DOOR_LIST_BYTE = DOOR_LIST_START_BYTE;
constexpr std::size_t FLOOR_SIZE = LAYER_FLOOR_SIZE;
constexpr std::size_t OBJECT_SIZE = LAYER_OBJECT_SIZE;
constexpr std::size_t DOOR_SIZE = DOOR_ENTRY_SIZE;
constexpr std::size_t SPRITE_SIZE = SPRITE_ENTRY_SIZE;
constexpr std::size_t ITEM_SIZE = ITEM_ENTRY_SIZE;

const std::vector<LineRule> LAYER_RULES = {
    {"floor", LineForm::Fixed, FLOOR_SIZE},
    {"object", LineForm::Fixed, OBJECT_SIZE},
    {"doors", LineForm::Implied, 2, {DOOR_LIST_BYTE, END_BYTE}},
    {"door", LineForm::Fixed, DOOR_SIZE},
    {"end", LineForm::Implied, 2, {END_BYTE, END_BYTE}},
    {DOOR_LIST_KEYWORD, LineForm::Marker, 0},
    {RAW_KEYWORD, LineForm::Raw, 0},
};
const std::vector<LineRule> SPRITE_RULES = {
    {"sort", LineForm::Fixed, SPRITE_SORT_SIZE},
    {"sprite", LineForm::Fixed, SPRITE_SIZE},
    {"end", LineForm::Implied, 1, {END_BYTE, 0}},
    {RAW_KEYWORD, LineForm::Raw, 0},
};
const std::vector<LineRule> ITEM_RULES = {
    {"item", LineForm::Fixed, ITEM_SIZE},
    {"end", LineForm::Implied, 2, {END_BYTE, END_BYTE}},
    {RAW_KEYWORD, LineForm::Raw, 0},
};
const std::vector<LineRule> CHEST_RULES = {{"chest", LineForm::Fixed, ROOM_CHEST_SIZE}};
const std::vector<LineRule> BLOCK_RULES = {{"block", LineForm::Fixed, PUSHABLE_BLOCK_WORD_SIZE}};
const std::vector<LineRule> TORCH_RULES = {{"torch", LineForm::Fixed, TORCH_WORD_SIZE}};

struct ListName {
  PackList list;
  std::string_view keyword;
};
constexpr ListName LIST_NAMES[] = {
    {PackList::Layers, "layers"}, {PackList::Sprites, "sprites"}, {PackList::Items, "items"},
    {PackList::Chests, "chests"}, {PackList::Blocks, "blocks"},   {PackList::Torches, "torches"},
};

// The bytes from `start` to `end` of `data`, no more than a line holds.
LineBytes Bytes(std::span<const std::uint8_t> data, std::size_t start, std::size_t end) {
  LineBytes bytes;
  const std::span<const std::uint8_t> part = data.subspan(start, end - start);
  bytes.count = std::min(part.size(), bytes.values.size());
  std::copy_n(part.begin(), bytes.count, bytes.values.begin());
  return bytes;
}

// An empty list of lines with room for the lines of `data`.
std::vector<PackLine> NewLines(const ByteList& data) {
  std::vector<PackLine> lines;
  lines.reserve(data.size() / 2 + 4);
  return lines;
}

void AddRaw(const ByteList& data, std::size_t start, std::size_t end,
            std::vector<PackLine>& lines) {
  for (std::size_t from = start; from < end; from += PACK_RAW_LINE_LIMIT) {
    lines.push_back({RAW_KEYWORD, Bytes(data, from, std::min(end, from + PACK_RAW_LINE_LIMIT))});
  }
}

// Entries of `size` bytes from `start` to `end` under `keyword`; the bytes
// left over are a raw line.
void AddEntries(const ByteList& data, std::size_t start, std::size_t end, std::size_t size,
                std::string_view keyword, std::vector<PackLine>& lines) {
  std::size_t at = start;
  for (; end - at >= size; at += size) {
    lines.push_back({keyword, Bytes(data, at, at + size)});
  }
  AddRaw(data, at, end, lines);
}

bool IsDoorListStart(const ByteList& data, std::size_t at, std::size_t end) {
  return end - at >= 2 && data[at] == DOOR_LIST_BYTE && data[at + 1] == END_BYTE;
}

// One layer's bytes before its FF FF: objects, and from an F0 FF at an
// object's place on (or at `doorsAt`, right before where the room's door
// pointer points), the door entries.
void AddLayer(const ByteList& data, std::size_t start, std::size_t end, bool first,
              std::optional<std::size_t> doorsAt, std::vector<PackLine>& lines) {
  std::size_t at = start;
  if (first && end - at >= FLOOR_SIZE && doorsAt != at && doorsAt != at + 1) {
    lines.push_back({"floor", Bytes(data, at, at + FLOOR_SIZE)});
    at += FLOOR_SIZE;
  }
  while (at < end) {
    if (doorsAt && *doorsAt > at && *doorsAt < at + OBJECT_SIZE) {
      AddRaw(data, at, *doorsAt, lines);
      at = *doorsAt;
    }
    if (IsDoorListStart(data, at, end) && (!doorsAt || *doorsAt <= at)) {
      lines.push_back({"doors", Bytes(data, at, at + 2)});
      AddEntries(data, at + 2, end, DOOR_SIZE, "door", lines);
      return;
    }
    if (end - at < OBJECT_SIZE) {
      break;
    }
    lines.push_back({"object", Bytes(data, at, at + OBJECT_SIZE)});
    at += OBJECT_SIZE;
  }
  AddRaw(data, at, end, lines);
}

// Where the list in `data` ends as `end` finds it: its end, or the end of
// the bytes when they end first. Bytes behind it, which no list read from a
// ROM has, become raw lines of their own.
std::size_t ListEndIn(const ByteList& data, const ListEnd& end) {
  return end.ending == ListEnding::OutOfBytes ? data.size() : std::min(end.size, data.size());
}

// The door list's place goes in at `offset`; a line that it falls inside is
// cut there into raw lines.
void InsertDoorList(std::vector<PackLine>& lines, std::uint32_t offset) {
  std::size_t position = 0;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::size_t size = lines[index].bytes.count;
    if (position == offset) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index),
                   PackLine{DOOR_LIST_KEYWORD, {}});
      return;
    }
    if (offset < position + size) {
      const LineBytes bytes = lines[index].bytes;
      const std::size_t cut = offset - position;
      lines[index] = {RAW_KEYWORD, Bytes(LineByteSpan(bytes), 0, cut)};
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index) + 1,
                   {PackLine{DOOR_LIST_KEYWORD, {}},
                    PackLine{RAW_KEYWORD, Bytes(LineByteSpan(bytes), cut, size)}});
      return;
    }
    position += size;
  }
  lines.push_back({DOOR_LIST_KEYWORD, {}});
}

// Two upper-case hex digits per byte, a space between bytes, after `text`.
void AppendHexBytes(std::span<const std::uint8_t> bytes, std::string& text) {
  constexpr char DIGITS[] = "0123456789ABCDEF";
  bool first = true;
  for (const std::uint8_t byte : bytes) {
    if (!first) {
      text += ' ';
    }
    first = false;
    text += DIGITS[byte >> 4];
    text += DIGITS[byte & 0xF];
  }
}

}  // namespace

std::string_view ListKeyword(PackList list) {
  for (const ListName& name : LIST_NAMES) {
    if (name.list == list) {
      return name.keyword;
    }
  }
  return "";
}

std::optional<PackList> ListNamed(std::string_view keyword) {
  for (const ListName& name : LIST_NAMES) {
    if (name.keyword == keyword) {
      return name.list;
    }
  }
  return std::nullopt;
}

std::optional<ListKind> EndedListKind(PackList list) {
  switch (list) {
    case PackList::Layers:
      return ListKind::LayerData;
    case PackList::Sprites:
      return ListKind::SpriteList;
    case PackList::Items:
      return ListKind::ItemList;
    default:
      return std::nullopt;
  }
}

const std::vector<LineRule>& ListLineRules(PackList list) {
  switch (list) {
    case PackList::Layers:
      return LAYER_RULES;
    case PackList::Sprites:
      return SPRITE_RULES;
    case PackList::Items:
      return ITEM_RULES;
    case PackList::Chests:
      return CHEST_RULES;
    case PackList::Blocks:
      return BLOCK_RULES;
    case PackList::Torches:
      break;
  }
  return TORCH_RULES;
}

const LineRule* FindLineRule(PackList list, std::string_view keyword) {
  for (const LineRule& rule : ListLineRules(list)) {
    if (rule.keyword == keyword) {
      return &rule;
    }
  }
  return nullptr;
}

std::vector<PackLine> SplitLayerData(const ByteList& data,
                                     std::optional<std::uint32_t> doorOffset) {
  std::vector<PackLine> lines = NewLines(data);
  std::optional<std::size_t> doorsAt;
  if (doorOffset && *doorOffset >= 2 && IsDoorListStart(data, *doorOffset - 2, data.size())) {
    doorsAt = *doorOffset - 2;
  }
  const ListEnd end = EndOfListAlone(ListKind::LayerData, data);
  const std::size_t listEnd = ListEndIn(data, end);
  std::size_t at = 0;
  for (int layer = 0; layer < LAYER_SECTIONS && at < listEnd; ++layer) {
    const std::size_t pair =
        layer < end.pairCount ? end.pairs.at(static_cast<std::size_t>(layer)) : listEnd;
    const bool doorsHere = doorsAt && *doorsAt >= at && *doorsAt + 2 <= pair;
    AddLayer(data, at, pair, layer == 0, doorsHere ? doorsAt : std::nullopt, lines);
    if (pair == listEnd) {
      at = pair;
      break;
    }
    lines.push_back({"end", Bytes(data, pair, pair + 2)});
    at = pair + 2;
  }
  AddRaw(data, at, listEnd, lines);  // the 0xFF the reader takes behind the last layer
  AddRaw(data, listEnd, data.size(), lines);
  if (doorOffset) {
    InsertDoorList(lines, *doorOffset);
  }
  return lines;
}

std::vector<PackLine> SplitSpriteList(const ByteList& data) {
  std::vector<PackLine> lines = NewLines(data);
  const ListEnd end = EndOfListAlone(ListKind::SpriteList, data);
  const std::size_t listEnd = ListEndIn(data, end);
  const bool marked = end.ending == ListEnding::EndMarker && end.size <= data.size();
  const std::size_t entriesEnd = marked ? listEnd - 1 : listEnd;
  if (entriesEnd > 0) {
    lines.push_back({"sort", Bytes(data, 0, SPRITE_SORT_SIZE)});
    AddEntries(data, SPRITE_SORT_SIZE, entriesEnd, SPRITE_SIZE, "sprite", lines);
  }
  if (marked) {
    lines.push_back({"end", Bytes(data, entriesEnd, listEnd)});
  }
  AddRaw(data, listEnd, data.size(), lines);
  return lines;
}

std::vector<PackLine> SplitItemList(const ByteList& data) {
  std::vector<PackLine> lines = NewLines(data);
  const ListEnd end = EndOfListAlone(ListKind::ItemList, data);
  const std::size_t listEnd = ListEndIn(data, end);
  const bool marked = end.ending == ListEnding::EndMarker && end.size <= data.size();
  const std::size_t entriesEnd = marked ? listEnd - 2 : listEnd;
  AddEntries(data, 0, entriesEnd, ITEM_SIZE, "item", lines);
  if (marked) {
    lines.push_back({"end", Bytes(data, entriesEnd, listEnd)});
  }
  AddRaw(data, listEnd, data.size(), lines);
  return lines;
}

std::vector<PackLine> SplitEntries(const ByteList& data, PackList list) {
  const LineRule& rule = ListLineRules(list).front();
  std::vector<PackLine> lines = NewLines(data);
  AddEntries(data, 0, data.size(), rule.count, rule.keyword, lines);
  return lines;
}

std::span<const std::uint8_t> LineByteSpan(const LineBytes& bytes) {
  return std::span<const std::uint8_t>(bytes.values).first(bytes.count);
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  AppendHexBytes(bytes, text);
  return text;
}

void AppendPackLine(PackList list, const PackLine& line, std::string& text) {
  const LineRule* rule = FindLineRule(list, line.keyword);
  text += line.keyword;
  if (rule != nullptr && (rule->form == LineForm::Fixed || rule->form == LineForm::Raw)) {
    text += ' ';
    AppendHexBytes(LineByteSpan(line.bytes), text);
  }
}

std::string FormatPackLine(PackList list, const PackLine& line) {
  std::string text;
  AppendPackLine(list, line, text);
  return text;
}
