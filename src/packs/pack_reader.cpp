#include "packs/pack_reader.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "packs/pack_lines.h"
#include "packs/pack_text.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rooms/room_number.h"
#include "tables/chests.h"

namespace {

// The kinds of a room's data, each given once per room.
enum Kind { HEADER, LAYERS, SPRITES, ITEMS, CHESTS, BLOCKS, TORCHES, PIT, MESSAGE, KIND_COUNT };
constexpr std::string_view KIND_KEYWORDS[KIND_COUNT] = {
    "header", "layers", "sprites", "items", "chests", "blocks", "torches", "pit", "message"};
constexpr PackList KIND_LISTS[] = {PackList::Layers, PackList::Sprites, PackList::Items,
                                   PackList::Chests, PackList::Blocks,  PackList::Torches};

// The list being read. The entries of the chests, blocks and torches go
// straight into the room; the layer data, sprite list and item list are held
// here with their lines until the list is checked. The storage stays from one
// list to the next.
struct OpenList {
  bool open = false;
  PackList list = PackList::Layers;
  int line = 0;
  ByteList bytes;
  std::vector<PackLine> lines;
  std::vector<int> lineNumbers;
  std::optional<std::uint32_t> doorOffset;  // where the first door-list line stands
  int doorListLine = 0;
};

struct PackReading {
  const std::string& name;
  RoomPack pack;
  int room = -1;  // the room being read
  int roomLine = 0;
  std::array<int, KIND_COUNT> kindLines{};  // where the room gave each kind; 0: not yet
  std::array<int, ROOM_COUNT> roomLines{};  // where each room was given; 0: not at all
  OpenList list;
  bool noteAllowed = true;
};

[[noreturn]] void Refuse(const PackReading& reading, int line, const std::string& what) {
  StopRun(Format("%s: line %d: %s.\n", reading.name.c_str(), line, what.c_str()));
}

RoomData& CurrentRoom(PackReading& reading) {
  return reading.pack.rooms[static_cast<std::size_t>(reading.room)];
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The end of the word that starts at `start`.
std::size_t WordEnd(std::string_view text, std::size_t start) {
  const std::size_t left = text.size() - start;
  if (left >= 2 && !IsBlank(text[start + 1]) && (left == 2 || IsBlank(text[start + 2]))) {
    return start + 2;  // a byte's two digits, nearly every word
  }
  std::size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) {
    ++end;
  }
  return end;
}

// Reads the line's bytes (the words after its keyword) into `out` as far as
// it reaches; returns how many bytes the line holds.
std::size_t ReadBytes(const PackReading& reading, const TextLine& line,
                      std::span<std::uint8_t> out) {
  std::size_t count = 0;
  const std::string_view rest = line.rest;
  std::size_t at = 0;
  while (true) {
    while (at < rest.size() && IsBlank(rest[at])) {
      ++at;
    }
    if (at == rest.size()) {
      break;
    }
    const std::size_t start = at;
    at = WordEnd(rest, start);
    const std::string_view word = rest.substr(start, at - start);
    const std::optional<std::uint8_t> byte = HexByte(word);
    if (!byte) {
      Refuse(reading, line.number,
             Format("%s is not a byte in hex (two hex digits)", std::string(word).c_str()));
    }
    if (count < out.size()) {
      out[count] = *byte;
    }
    ++count;
  }
  return count;
}

// Reads the line's bytes into `out`, which they must fill exactly.
void ReadFixedBytes(const PackReading& reading, const TextLine& line, std::span<std::uint8_t> out) {
  const std::size_t count = ReadBytes(reading, line, out);
  if (count != out.size()) {
    Refuse(reading, line.number,
           Format("%s lines hold %zu byte%s; this one holds %zu", std::string(line.keyword).c_str(),
                  out.size(), out.size() == 1 ? "" : "s", count));
  }
}

bool IsLineKeyword(std::string_view keyword) {
  return std::any_of(std::begin(KIND_LISTS), std::end(KIND_LISTS),
                     [&](PackList list) { return FindLineRule(list, keyword) != nullptr; });
}

std::vector<PackLine> SplitOf(PackList list, const ByteList& bytes,
                              std::optional<std::uint32_t> doorOffset) {
  switch (list) {
    case PackList::Layers:
      return SplitLayerData(bytes, doorOffset);
    case PackList::Sprites:
      return SplitSpriteList(bytes);
    default:
      return SplitItemList(bytes);
  }
}

// "the sprite list of room 18": the list, for the messages about its end.
std::string ListOfRoom(const PackReading& reading, ListKind kind) {
  const char* list = kind == ListKind::LayerData    ? "layer data"
                     : kind == ListKind::SpriteList ? "sprite list"
                                                    : "item list";
  return Format("the %s of room %d", list, reading.room);
}

// Refuses a list whose lines are not the split the writer makes of their
// bytes, or that go on past the list's `end`.
void CheckSplit(const PackReading& reading, ListKind kind, const ListEnd& end) {
  const OpenList& list = reading.list;
  const std::vector<PackLine> split = SplitOf(list.list, list.bytes, list.doorOffset);
  const std::string listName(ListKeyword(list.list));
  std::size_t offset = 0;
  for (std::size_t index = 0; index < list.lines.size(); ++index) {
    const int number = list.lineNumbers[index];
    if (offset >= end.size && list.lines[index].bytes.count > 0) {
      Refuse(
          reading, number,
          Format("%s has %s before this line", ListOfRoom(reading, kind).c_str(),
                 end.ending == ListEnding::ScanLimit ? "reached the limit of the scan" : "ended"));
    }
    if (index >= split.size()) {
      Refuse(reading, number,
             Format("the %s list's bytes end their entries before this line", listName.c_str()));
    }
    if (!(split[index] == list.lines[index])) {
      Refuse(reading, number,
             Format("the game's format splits the %s list otherwise: here it reads \"%s\"",
                    listName.c_str(), FormatPackLine(list.list, split[index]).c_str()));
    }
    offset += list.lines[index].bytes.count;
  }
  if (split.size() > list.lines.size()) {
    const int line = list.lineNumbers.empty() ? list.line : list.lineNumbers.back();
    Refuse(reading, line,
           Format("the %s list lacks its line \"%s\" after this one", listName.c_str(),
                  FormatPackLine(list.list, split[list.lines.size()]).c_str()));
  }
}

// Refuses a layer data, sprite list or item list that does not end as the
// ROM's reader ends it, or that is not split as the writer splits it.
void CheckEndedList(const PackReading& reading, ListKind kind) {
  const OpenList& list = reading.list;
  const ListEnd end = EndOfListAlone(kind, list.bytes);
  if (end.ending == ListEnding::OutOfBytes || end.size > list.bytes.size()) {
    const std::string missing =
        kind == ListKind::LayerData
            ? Format(" for layer %d", std::min(end.pairCount + 1, LAYER_SECTIONS))
            : "";
    Refuse(reading, list.line,
           Format("%s has no end line%s", ListOfRoom(reading, kind).c_str(), missing.c_str()));
  }
  if (list.doorOffset && *list.doorOffset >= list.bytes.size()) {
    Refuse(reading, list.doorListLine,
           Format("door-list stands after the last byte of %s, where no door list can start",
                  ListOfRoom(reading, kind).c_str()));
  }
  CheckSplit(reading, kind, end);
}

void CloseList(PackReading& reading) {
  OpenList& list = reading.list;
  if (!list.open) {
    return;
  }
  list.open = false;
  const std::optional<ListKind> kind = EndedListKind(list.list);
  if (!kind) {
    return;  // its entries are in the room already
  }
  CheckEndedList(reading, *kind);
  RoomData& room = CurrentRoom(reading);
  ByteList& data = list.list == PackList::Layers    ? room.layerData
                   : list.list == PackList::Sprites ? room.spriteData
                                                    : room.itemData;
  data.assign(list.bytes.begin(), list.bytes.end());
  if (list.list == PackList::Layers) {
    room.doorOffset = list.doorOffset;
  }
}

void CloseRoom(PackReading& reading) {
  CloseList(reading);
  if (reading.room < 0) {
    return;
  }
  for (int kind = 0; kind < KIND_COUNT; ++kind) {
    if (reading.kindLines.at(static_cast<std::size_t>(kind)) == 0) {
      Refuse(
          reading, reading.roomLine,
          Format("room %d has no %s line", reading.room, std::string(KIND_KEYWORDS[kind]).c_str()));
    }
  }
  reading.pack.held.at(static_cast<std::size_t>(reading.room)) = true;
}

void StartRoom(PackReading& reading, const TextLine& line) {
  CloseRoom(reading);
  std::string_view rest = line.rest;
  const std::string_view word = NextWord(rest);
  const std::optional<std::int32_t> number =
      !word.empty() && !HasWord(rest) ? ParseRoomNumber(word) : std::nullopt;
  if (!number) {
    Refuse(reading, line.number, "a room line gives one room number from 0 to 319");
  }
  int& first = reading.roomLines.at(static_cast<std::size_t>(*number));
  if (first != 0) {
    Refuse(reading, line.number,
           Format("room %d is given twice (first at line %d)", *number, first));
  }
  first = line.number;
  reading.room = *number;
  reading.roomLine = line.number;
  reading.kindLines.fill(0);
  reading.noteAllowed = true;
}

void ReadNote(PackReading& reading, const TextLine& line) {
  if (!reading.noteAllowed) {
    Refuse(reading, line.number,
           "a note stands right after the format line or right after a room line");
  }
  std::string_view text = line.text.substr(line.text.find("note") + 4);
  if (!text.empty()) {
    text.remove_prefix(1);  // the space after the keyword
  }
  if (line.commented) {
    while (!text.empty() && IsBlank(text.back())) {
      text.remove_suffix(1);  // the blanks in front of the comment
    }
  }
  AddNoteLine(reading.room < 0 ? reading.pack.note
                               : reading.pack.roomNotes.at(static_cast<std::size_t>(reading.room)),
              text);
}

void ReadSingleKind(PackReading& reading, Kind kind, const TextLine& line) {
  RoomData& room = CurrentRoom(reading);
  if (kind == HEADER) {
    std::array<std::uint8_t, ROOM_HEADER_SIZE> header{};
    ReadFixedBytes(reading, line, header);
    std::copy(header.begin(), header.end(), room.header.begin());
  } else if (kind == PIT) {
    std::array<std::uint8_t, 1> pit{};
    ReadFixedBytes(reading, line, pit);
    if (pit[0] > 1) {
      Refuse(reading, line.number, "the pit flag is 00 or 01");
    }
    room.hasPit = pit[0];
  } else {
    std::array<std::uint8_t, 2> message{};
    ReadFixedBytes(reading, line, message);
    room.message = static_cast<std::uint16_t>(message[0] | message[1] << 8);
  }
}

void StartKind(PackReading& reading, Kind kind, const TextLine& line) {
  const std::string_view keyword = KIND_KEYWORDS[kind];
  if (reading.room < 0) {
    Refuse(reading, line.number,
           Format("%s stands before the first room line", std::string(keyword).c_str()));
  }
  CloseList(reading);
  reading.noteAllowed = false;
  int& first = reading.kindLines.at(static_cast<std::size_t>(kind));
  if (first != 0) {
    Refuse(reading, line.number,
           Format("room %d has a second %s line (the first at line %d)", reading.room,
                  std::string(keyword).c_str(), first));
  }
  first = line.number;
  const std::optional<PackList> list = ListNamed(keyword);
  if (!list) {
    ReadSingleKind(reading, kind, line);
    return;
  }
  if (HasWord(line.rest)) {
    Refuse(reading, line.number,
           Format("%s stands alone on its line; its entries follow on lines of their own",
                  std::string(keyword).c_str()));
  }
  OpenList& open = reading.list;
  open.open = true;
  open.list = *list;
  open.line = line.number;
  open.bytes.clear();
  open.lines.clear();
  open.lineNumbers.clear();
  open.doorOffset.reset();
}

void CheckEntryValue(const PackReading& reading, const TextLine& line, PackList list,
                     const LineBytes& bytes) {
  const auto& values = bytes.values;
  if (list == PackList::Chests && values[0] != 0x00 && values[0] != BIG_CHEST_FLAG) {
    Refuse(reading, line.number, "a chest's flag byte is 00 or 80");
  }
  if (list == PackList::Torches && values[0] == 0xFF && values[1] == 0xFF) {
    Refuse(reading, line.number, "FF FF ends the torch table; it is no torch word");
  }
}

// A chest, block or torch, into the room at once.
void AddToRoom(PackReading& reading, PackList list, const LineBytes& bytes) {
  RoomData& room = CurrentRoom(reading);
  const auto word = static_cast<std::uint16_t>(bytes.values[0] | bytes.values[1] << 8);
  if (list == PackList::Chests) {
    room.chests.insert(room.chests.end(), bytes.values.begin(),
                       bytes.values.begin() + static_cast<std::ptrdiff_t>(bytes.count));
  } else if (list == PackList::Blocks) {
    room.pushableBlocks.push_back(word);
  } else {
    room.torches.push_back(word);
  }
}

// A line of the layer data, sprite list or item list, held until the list is
// checked; a list grown past its longest form is checked (and refused) at once.
void HoldEntry(PackReading& reading, const TextLine& line, const PackLine& entry, ListKind kind) {
  OpenList& list = reading.list;
  if (entry.keyword == DOOR_LIST_KEYWORD && !list.doorOffset) {
    list.doorOffset = static_cast<std::uint32_t>(list.bytes.size());
    list.doorListLine = line.number;
  }
  const std::span<const std::uint8_t> bytes = LineByteSpan(entry.bytes);
  list.bytes.insert(list.bytes.end(), bytes.begin(), bytes.end());
  list.lines.push_back(entry);
  list.lineNumbers.push_back(line.number);
  if (list.bytes.size() > LongestList(kind)) {
    CheckEndedList(reading, kind);
  }
}

// One line of the open list, whose keyword `rule` is.
void ReadEntry(PackReading& reading, const TextLine& line, const LineRule& rule) {
  const PackList list = reading.list.list;
  PackLine entry{rule.keyword, {}};
  if (rule.form == LineForm::Fixed) {
    entry.bytes.count = std::min(rule.count, entry.bytes.values.size());
    ReadFixedBytes(reading, line, std::span(entry.bytes.values).first(entry.bytes.count));
    CheckEntryValue(reading, line, list, entry.bytes);
  } else if (rule.form == LineForm::Raw) {
    const std::size_t count = ReadBytes(reading, line, entry.bytes.values);
    if (count == 0 || count > PACK_RAW_LINE_LIMIT) {
      Refuse(reading, line.number, Format("raw lines hold 1 to %zu bytes", PACK_RAW_LINE_LIMIT));
    }
    entry.bytes.count = count;
  } else if (HasWord(line.rest)) {
    Refuse(reading, line.number,
           Format("%s lines hold no bytes", std::string(line.keyword).c_str()));
  } else if (rule.form == LineForm::Implied) {
    entry.bytes.count = std::min(rule.count, rule.implied.size());
    std::copy_n(rule.implied.begin(), entry.bytes.count, entry.bytes.values.begin());
  }
  const std::optional<ListKind> kind = EndedListKind(list);
  if (kind) {
    HoldEntry(reading, line, entry, *kind);
  } else {
    AddToRoom(reading, list, entry.bytes);
  }
}

void ReadListLine(PackReading& reading, const TextLine& line) {
  const std::string_view keyword = line.keyword;
  if (!reading.list.open) {
    Refuse(reading, line.number,
           IsLineKeyword(keyword)
               ? Format("%s lines stand only inside their list", std::string(keyword).c_str())
               : Format("unknown keyword %s", std::string(keyword).c_str()));
  }
  const LineRule* rule = FindLineRule(reading.list.list, keyword);
  if (rule == nullptr) {
    Refuse(reading, line.number,
           IsLineKeyword(keyword)
               ? Format("%s lines do not belong in the %s list", std::string(keyword).c_str(),
                        std::string(ListKeyword(reading.list.list)).c_str())
               : Format("unknown keyword %s", std::string(keyword).c_str()));
  }
  ReadEntry(reading, line, *rule);
}

// The words of the format line's name; whether `text` starts with them.
bool StartsWithFormatName(std::string_view& text) {
  std::string_view name = PACK_FORMAT_NAME;
  for (std::string_view word = NextWord(name); !word.empty(); word = NextWord(name)) {
    if (NextWord(text) != word) {
      return false;
    }
  }
  return true;
}

void ReadFormatLine(const PackReading& reading, const TextLine* line) {
  std::string_view rest = line != nullptr ? line->text : std::string_view();
  const int number = line != nullptr ? line->number : 1;
  const bool named = StartsWithFormatName(rest);
  const std::string_view version = NextWord(rest);
  if (!named || version.empty() || HasWord(rest)) {
    Refuse(reading, number,
           Format("the first line reads \"%s %d\"", PACK_FORMAT_NAME, PACK_FORMAT_VERSION));
  }
  if (version != std::to_string(PACK_FORMAT_VERSION)) {
    Refuse(reading, number,
           Format("version %s of the room pack format is not known here; this roomxfer reads "
                  "version %d",
                  std::string(version).c_str(), PACK_FORMAT_VERSION));
  }
}

void ReadLine(PackReading& reading, const TextLine& line) {
  const std::string_view keyword = line.keyword;
  if (keyword.empty()) {
    return;
  }
  // Most lines are entries of the open list; no entry keyword names a kind,
  // a note or a room.
  const LineRule* rule = reading.list.open ? FindLineRule(reading.list.list, keyword) : nullptr;
  if (rule != nullptr) {
    reading.noteAllowed = false;
    ReadEntry(reading, line, *rule);
    return;
  }
  if (keyword == "note") {
    ReadNote(reading, line);
    return;
  }
  if (keyword == "room") {
    StartRoom(reading, line);
    return;
  }
  for (int kind = 0; kind < KIND_COUNT; ++kind) {
    if (keyword == KIND_KEYWORDS[kind]) {
      StartKind(reading, static_cast<Kind>(kind), line);
      return;
    }
  }
  reading.noteAllowed = false;
  ReadListLine(reading, line);
}

// The next line that is not blank or a comment alone, every line read checked
// to be text; false at the end of the text.
bool NextContentLine(const PackReading& reading, PackText& text, TextLine& line) {
  while (NextLine(text, line)) {
    if (const std::optional<std::string> fault = TextFault(line.whole)) {
      Refuse(reading, line.number, *fault);
    }
    if (!line.keyword.empty()) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsRoomPack(const ByteList& file) {
  // Only as much of the file is looked at as it takes: a ROM is told at its
  // first byte.
  const PackText text = StartText(file);
  std::string_view rest = text.text.substr(text.at);
  while (true) {
    const std::size_t start = rest.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
      return false;
    }
    rest.remove_prefix(start);
    if (rest.front() != '#') {
      break;
    }
    const std::size_t end = rest.find('\n');
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  }
  std::string_view name = PACK_FORMAT_NAME;
  for (std::string_view word = NextWord(name); !word.empty(); word = NextWord(name)) {
    const bool ends =
        rest.size() == word.size() ||
        (rest.size() > word.size() &&
         std::string_view(" \t\r\n#").find(rest[word.size()]) != std::string_view::npos);
    if (!rest.starts_with(word) || !ends) {
      return false;
    }
    rest.remove_prefix(word.size());
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
  }
  return true;
}

RoomPack ReadRoomPack(const ByteList& file, const std::string& name) {
  PackReading reading{name, {}, -1, 0, {}, {}, {}, true};
  PackText text = StartText(file);
  TextLine line;
  const bool formatLine = NextContentLine(reading, text, line);
  ReadFormatLine(reading, formatLine ? &line : nullptr);
  while (NextContentLine(reading, text, line)) {
    ReadLine(reading, line);
  }
  CloseRoom(reading);
  if (reading.room < 0) {
    Refuse(reading, text.number, "the pack holds no room");
  }
  return std::move(reading.pack);
}
