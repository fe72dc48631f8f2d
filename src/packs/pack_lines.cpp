#include "packs/pack_lines.h"

#include <algorithm>

#include "rom/format.h"

namespace {

constexpr std::uint8_t END_BYTE = 0xFF;
constexpr std::uint8_t DOOR_LIST_BYTE = 0xF0;
constexpr std::size_t FLOOR_SIZE = 2;
constexpr std::size_t OBJECT_SIZE = 3;
constexpr std::size_t DOOR_SIZE = 2;
constexpr std::size_t SPRITE_SIZE = 3;
constexpr std::size_t ITEM_SIZE = 3;

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
    {"sort", LineForm::Fixed, 1},
    {"sprite", LineForm::Fixed, SPRITE_SIZE},
    {"end", LineForm::Implied, 1, {END_BYTE, 0}},
    {RAW_KEYWORD, LineForm::Raw, 0},
};
const std::vector<LineRule> ITEM_RULES = {
    {"item", LineForm::Fixed, ITEM_SIZE},
    {"end", LineForm::Implied, 2, {END_BYTE, END_BYTE}},
    {RAW_KEYWORD, LineForm::Raw, 0},
};
const std::vector<LineRule> CHEST_RULES = {{"chest", LineForm::Fixed, 2}};
const std::vector<LineRule> BLOCK_RULES = {{"block", LineForm::Fixed, 2}};
const std::vector<LineRule> TORCH_RULES = {{"torch", LineForm::Fixed, 2}};

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

// The first FF FF pair starting in [from, size - 1), or size.
std::size_t FindPair(const ByteList& data, std::size_t from) {
  for (std::size_t at = from; at + 1 < data.size(); ++at) {
    if (data[at] == END_BYTE && data[at + 1] == END_BYTE) {
      return at;
    }
  }
  return data.size();
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
  std::size_t at = 0;
  for (int layer = 0; layer < 3 && at < data.size(); ++layer) {
    const std::size_t pair = FindPair(data, at);
    const bool doorsHere = doorsAt && *doorsAt >= at && *doorsAt + 2 <= pair;
    AddLayer(data, at, pair, layer == 0, doorsHere ? doorsAt : std::nullopt, lines);
    if (pair == data.size()) {
      at = pair;
      break;
    }
    lines.push_back({"end", Bytes(data, pair, pair + 2)});
    at = pair + 2;
  }
  AddRaw(data, at, data.size(), lines);  // the 0xFF the reader takes behind the last layer
  if (doorOffset) {
    InsertDoorList(lines, *doorOffset);
  }
  return lines;
}

std::vector<PackLine> SplitSpriteList(const ByteList& data) {
  std::vector<PackLine> lines = NewLines(data);
  const auto end =
      static_cast<std::size_t>(std::find(data.begin(), data.end(), END_BYTE) - data.begin());
  if (end > 0) {
    lines.push_back({"sort", Bytes(data, 0, 1)});
    AddEntries(data, 1, end, SPRITE_SIZE, "sprite", lines);
  }
  if (end < data.size()) {
    lines.push_back({"end", Bytes(data, end, end + 1)});
    AddRaw(data, end + 1, data.size(), lines);
  }
  return lines;
}

std::vector<PackLine> SplitItemList(const ByteList& data) {
  std::vector<PackLine> lines = NewLines(data);
  const std::size_t pair = FindPair(data, 0);
  AddEntries(data, 0, pair, ITEM_SIZE, "item", lines);
  if (pair < data.size()) {
    lines.push_back({"end", Bytes(data, pair, pair + 2)});
    AddRaw(data, pair + 2, data.size(), lines);
  }
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
