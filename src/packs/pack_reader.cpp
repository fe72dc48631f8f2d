#include "packs/pack_reader.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "rom/failure.h"
#include "rom/format.h"
#include "packs/pack_lines.h"

namespace {

// The kinds of a room's data, each given once per room.
enum Kind { HEADER, LAYERS, SPRITES, ITEMS, CHESTS, BLOCKS, TORCHES, PIT, MESSAGE, KIND_COUNT };
constexpr std::string_view KIND_KEYWORDS[KIND_COUNT] = {
    "header", "layers", "sprites", "items", "chests", "blocks", "torches", "pit", "message"};
constexpr PackList KIND_LISTS[] = {PackList::Layers, PackList::Sprites, PackList::Items,
                                   PackList::Chests, PackList::Blocks,  PackList::Torches};

constexpr std::uint8_t CHEST_FLAG = 0x80;

// A line of the file: its first word, and the text after that word.
struct TextLine {
  int number = 0;
  std::string_view text;
  std::string_view keyword;
  std::string_view rest;
};

// The list being read: its lines and the line each came from. The storage
// stays from one list to the next.
struct OpenList {
  bool open = false;
  PackList list = PackList::Layers;
  int line = 0;
  std::vector<PackLine> lines;
  std::vector<int> lineNumbers;
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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first word of `text`, which then holds what follows it; empty when no
// word is left.
std::string_view NextWord(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) {
    ++start;
  }
  std::size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) {
    ++end;
  }
  const std::string_view word = text.substr(start, end - start);
  text.remove_prefix(end);
  return word;
}

bool HasWord(std::string_view text) { return !NextWord(text).empty(); }

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::string_view word = NextWord(text); !word.empty(); word = NextWord(text)) {
    words.push_back(word);
  }
  return words;
}

// The file's lines, without their line ends (LF or CRLF).
std::vector<TextLine> SplitLines(const PackReading& reading, const ByteList& file) {
  const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
  std::vector<TextLine> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    const std::size_t next = end + 1;
    if (end > at && text[end - 1] == '\r') {
      --end;
    }
    TextLine line;
    line.number = static_cast<int>(lines.size()) + 1;
    line.text = text.substr(at, end - at);
    for (const char c : line.text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte != '\t' && (byte < 0x20 || byte > 0x7E)) {
        Refuse(reading, line.number, Format("the byte 0x%02X is not printable ASCII", byte));
      }
    }
    line.rest = line.text;
    line.keyword = NextWord(line.rest);
    lines.push_back(line);
    at = next;
  }
  return lines;
}

// The value of each character as a hex digit; -1: not a hex digit.
constexpr std::array<std::int8_t, 256> HexValues() {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (int digit = 0; digit < 10; ++digit) {
    values.at(static_cast<std::size_t>('0' + digit)) = static_cast<std::int8_t>(digit);
  }
  for (int digit = 0; digit < 6; ++digit) {
    values.at(static_cast<std::size_t>('a' + digit)) = static_cast<std::int8_t>(10 + digit);
    values.at(static_cast<std::size_t>('A' + digit)) = static_cast<std::int8_t>(10 + digit);
  }
  return values;
}
constexpr std::array<std::int8_t, 256> HEX_VALUES = HexValues();

// The byte the two hex digits of `word` give.
std::optional<std::uint8_t> HexByte(std::string_view word) {
  if (word.size() != 2) {
    return std::nullopt;
  }
  const int high = HEX_VALUES.at(static_cast<unsigned char>(word[0]));
  const int low = HEX_VALUES.at(static_cast<unsigned char>(word[1]));
  if (high < 0 || low < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(high << 4 | low);
}

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

std::vector<std::uint16_t> Words16(const ByteList& bytes) {
  std::vector<std::uint16_t> words;
  words.reserve(bytes.size() / 2);
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    words.push_back(static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8));
  }
  return words;
}

// The bytes of a list's lines, and where its door-list line stands in them.
ByteList JoinLines(const OpenList& list, std::optional<std::uint32_t>& doorOffset) {
  std::size_t size = 0;
  for (const PackLine& line : list.lines) {
    size += line.bytes.count;
  }
  ByteList bytes;
  bytes.reserve(size);
  doorOffset.reset();
  for (const PackLine& line : list.lines) {
    if (line.keyword == DOOR_LIST_KEYWORD && !doorOffset) {
      doorOffset = static_cast<std::uint32_t>(bytes.size());
    }
    const std::span<const std::uint8_t> lineBytes = LineByteSpan(line.bytes);
    bytes.insert(bytes.end(), lineBytes.begin(), lineBytes.end());
  }
  return bytes;
}

std::vector<PackLine> SplitOf(PackList list, const ByteList& bytes,
                              std::optional<std::uint32_t> doorOffset) {
  switch (list) {
    case PackList::Layers:
      return SplitLayerData(bytes, doorOffset);
    case PackList::Sprites:
      return SplitSpriteList(bytes);
    case PackList::Items:
      return SplitItemList(bytes);
    default:
      return SplitEntries(bytes, list);
  }
}

// Refuses a list whose lines are not the split the writer makes of their bytes.
void CheckSplit(const PackReading& reading, const OpenList& list, const ByteList& bytes,
                std::optional<std::uint32_t> doorOffset) {
  const std::vector<PackLine> split = SplitOf(list.list, bytes, doorOffset);
  const std::string_view listName = ListKeyword(list.list);
  for (std::size_t index = 0; index < list.lines.size(); ++index) {
    if (index >= split.size()) {
      Refuse(reading, list.lineNumbers[index],
             Format("the %s list's bytes end their entries before this line",
                    std::string(listName).c_str()));
    }
    if (!(split[index] == list.lines[index])) {
      Refuse(
          reading, list.lineNumbers[index],
          Format("the game's format splits the %s list otherwise: here it reads \"%s\"",
                 std::string(listName).c_str(), FormatPackLine(list.list, split[index]).c_str()));
    }
  }
  if (split.size() > list.lines.size()) {
    const int line = list.lineNumbers.empty() ? list.line : list.lineNumbers.back();
    Refuse(reading, line,
           Format("the %s list lacks its line \"%s\" after this one", std::string(listName).c_str(),
                  FormatPackLine(list.list, split[list.lines.size()]).c_str()));
  }
}

void CloseList(PackReading& reading) {
  if (!reading.list.open) {
    return;
  }
  const OpenList& list = reading.list;
  std::optional<std::uint32_t> doorOffset;
  ByteList bytes = JoinLines(list, doorOffset);
  CheckSplit(reading, list, bytes, doorOffset);
  RoomData& room = reading.pack.rooms[static_cast<std::size_t>(reading.room)];
  switch (list.list) {
    case PackList::Layers:
      room.layerData = std::move(bytes);
      room.doorOffset = doorOffset;
      break;
    case PackList::Sprites:
      room.spriteData = std::move(bytes);
      break;
    case PackList::Items:
      room.itemData = std::move(bytes);
      break;
    case PackList::Chests:
      room.chests = std::move(bytes);
      break;
    case PackList::Blocks:
      room.pushableBlocks = Words16(bytes);
      break;
    case PackList::Torches:
      room.torches = Words16(bytes);
      break;
  }
  reading.list.open = false;
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

std::optional<int> RoomNumber(std::string_view word) {
  if (word.empty() || word.size() > 3) {
    return std::nullopt;
  }
  int number = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    number = number * 10 + (c - '0');
  }
  return number < ROOM_COUNT ? std::optional<int>(number) : std::nullopt;
}

void StartRoom(PackReading& reading, const TextLine& line) {
  CloseRoom(reading);
  std::string_view rest = line.rest;
  const std::string_view word = NextWord(rest);
  const std::optional<int> number =
      !word.empty() && !HasWord(rest) ? RoomNumber(word) : std::nullopt;
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
  std::vector<std::string>& note =
      reading.room < 0 ? reading.pack.note
                       : reading.pack.roomNotes.at(static_cast<std::size_t>(reading.room));
  note.emplace_back(text);
}

void ReadSingleKind(PackReading& reading, Kind kind, const TextLine& line) {
  RoomData& room = reading.pack.rooms[static_cast<std::size_t>(reading.room)];
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
  open.lines.clear();
  open.lineNumbers.clear();
}

void CheckEntryValue(const PackReading& reading, const TextLine& line, PackList list,
                     const LineBytes& bytes) {
  const auto& values = bytes.values;
  if (list == PackList::Chests && values[0] != 0x00 && values[0] != CHEST_FLAG) {
    Refuse(reading, line.number, "a chest's flag byte is 00 or 80");
  }
  if (list == PackList::Torches && values[0] == 0xFF && values[1] == 0xFF) {
    Refuse(reading, line.number, "FF FF ends the torch table; it is no torch word");
  }
}

// One line of the open list, whose keyword `rule` is.
void ReadEntry(PackReading& reading, const TextLine& line, const LineRule& rule) {
  OpenList& list = reading.list;
  PackLine entry{rule.keyword, {}};
  if (rule.form == LineForm::Fixed) {
    entry.bytes.count = std::min(rule.count, entry.bytes.values.size());
    ReadFixedBytes(reading, line, std::span(entry.bytes.values).first(entry.bytes.count));
    CheckEntryValue(reading, line, list.list, entry.bytes);
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
  list.lines.push_back(std::move(entry));
  list.lineNumbers.push_back(line.number);
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

void ReadFormatLine(const PackReading& reading, const std::vector<TextLine>& lines) {
  const std::vector<std::string_view> expected = Words(PACK_FORMAT_NAME);
  const std::vector<std::string_view> words =
      lines.empty() ? std::vector<std::string_view>{} : Words(lines[0].text);
  const bool named = words.size() == expected.size() + 1 &&
                     std::equal(expected.begin(), expected.end(), words.begin());
  if (!named) {
    Refuse(reading, 1,
           Format("the first line reads \"%s %d\"", PACK_FORMAT_NAME, PACK_FORMAT_VERSION));
  }
  const std::string version(words.back());
  if (version != std::to_string(PACK_FORMAT_VERSION)) {
    Refuse(reading, 1,
           Format("version %s of the room pack format is not known here; this roomxfer reads "
                  "version %d",
                  version.c_str(), PACK_FORMAT_VERSION));
  }
}

void ReadLine(PackReading& reading, const TextLine& line) {
  const std::string_view keyword = line.keyword;
  if (keyword.empty() || keyword.starts_with('#')) {
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

}  // namespace

bool IsRoomPack(const ByteList& file) {
  const std::string_view name = PACK_FORMAT_NAME;
  if (file.size() < name.size() ||
      !std::equal(name.begin(), name.end(), file.begin(),
                  [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
    return false;
  }
  if (file.size() == name.size()) {
    return true;
  }
  const std::uint8_t next = file[name.size()];
  return next == ' ' || next == '\t' || next == '\r' || next == '\n';
}

RoomPack ReadRoomPack(const ByteList& file, const std::string& name) {
  PackReading reading{name, {}, -1, 0, {}, {}, {}, true};
  const std::vector<TextLine> lines = SplitLines(reading, file);
  ReadFormatLine(reading, lines);
  for (std::size_t index = 1; index < lines.size(); ++index) {
    ReadLine(reading, lines[index]);
  }
  CloseRoom(reading);
  if (reading.room < 0) {
    Refuse(reading, static_cast<int>(lines.size()), "the pack holds no room");
  }
  return std::move(reading.pack);
}
