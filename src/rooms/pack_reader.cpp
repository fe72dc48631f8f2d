#include "rooms/pack_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "rom/failure.h"
#include "rom/format.h"
#include "rooms/pack_lines.h"

namespace {

// The kinds of a room's data, each given once per room.
enum Kind { HEADER, LAYERS, SPRITES, ITEMS, CHESTS, BLOCKS, TORCHES, PIT, MESSAGE, KIND_COUNT };
constexpr std::string_view KIND_KEYWORDS[KIND_COUNT] = {
    "header", "layers", "sprites", "items", "chests", "blocks", "torches", "pit", "message"};
constexpr PackList KIND_LISTS[] = {PackList::Layers, PackList::Sprites, PackList::Items,
                                   PackList::Chests, PackList::Blocks,  PackList::Torches};

constexpr std::uint8_t CHEST_FLAG = 0x80;

struct TextLine {
  int number = 0;
  std::string_view text;
  std::vector<std::string_view> words;
};

// The list being read: its lines and the line each came from.
struct OpenList {
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
  std::optional<OpenList> list;
  bool noteAllowed = true;
};

[[noreturn]] void Refuse(const PackReading& reading, int line, const std::string& what) {
  StopRun(Format("%s: line %d: %s.\n", reading.name.c_str(), line, what.c_str()));
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) {
      break;
    }
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    words.push_back(text.substr(start, end - start));
    at = end;
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
    line.words = Words(line.text);
    lines.push_back(std::move(line));
    at = next;
  }
  return lines;
}

std::optional<std::uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return static_cast<std::uint8_t>(c - '0');
  }
  if (c >= 'a' && c <= 'f') {
    return static_cast<std::uint8_t>(c - 'a' + 10);
  }
  if (c >= 'A' && c <= 'F') {
    return static_cast<std::uint8_t>(c - 'A' + 10);
  }
  return std::nullopt;
}

ByteList ReadBytes(const PackReading& reading, const TextLine& line) {
  ByteList bytes;
  for (std::size_t index = 1; index < line.words.size(); ++index) {
    const std::string_view word = line.words[index];
    const std::optional<std::uint8_t> high = word.size() == 2 ? HexDigit(word[0]) : std::nullopt;
    const std::optional<std::uint8_t> low = word.size() == 2 ? HexDigit(word[1]) : std::nullopt;
    if (!high || !low) {
      Refuse(reading, line.number,
             Format("%s is not a byte in hex (two hex digits)", std::string(word).c_str()));
    }
    bytes.push_back(static_cast<std::uint8_t>(*high << 4 | *low));
  }
  return bytes;
}

// The line's bytes, exactly `count` of them.
ByteList ReadFixedBytes(const PackReading& reading, const TextLine& line, std::size_t count) {
  ByteList bytes = ReadBytes(reading, line);
  if (bytes.size() != count) {
    Refuse(reading, line.number,
           Format("%s lines hold %zu byte%s; this one holds %zu",
                  std::string(line.words[0]).c_str(), count, count == 1 ? "" : "s", bytes.size()));
  }
  return bytes;
}

bool IsLineKeyword(std::string_view keyword) {
  return std::any_of(std::begin(KIND_LISTS), std::end(KIND_LISTS),
                     [&](PackList list) { return FindLineRule(list, keyword) != nullptr; });
}

std::vector<std::uint16_t> Words16(const ByteList& bytes) {
  std::vector<std::uint16_t> words;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    words.push_back(static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8));
  }
  return words;
}

// The bytes of a list's lines, and where its door-list line stands in them.
ByteList JoinLines(const OpenList& list, std::optional<std::uint32_t>& doorOffset) {
  ByteList bytes;
  doorOffset.reset();
  for (const PackLine& line : list.lines) {
    if (line.keyword == DOOR_LIST_KEYWORD && !doorOffset) {
      doorOffset = static_cast<std::uint32_t>(bytes.size());
    }
    bytes.insert(bytes.end(), line.bytes.begin(), line.bytes.end());
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
  const std::string listName(ListKeyword(list.list));
  for (std::size_t index = 0; index < list.lines.size(); ++index) {
    if (index >= split.size()) {
      Refuse(reading, list.lineNumbers[index],
             Format("the %s list's bytes end their entries before this line", listName.c_str()));
    }
    if (!(split[index] == list.lines[index])) {
      Refuse(reading, list.lineNumbers[index],
             Format("the game's format splits the %s list otherwise: here it reads \"%s\"",
                    listName.c_str(), FormatPackLine(list.list, split[index]).c_str()));
    }
  }
  if (split.size() > list.lines.size()) {
    const int line = list.lineNumbers.empty() ? list.line : list.lineNumbers.back();
    Refuse(reading, line,
           Format("the %s list lacks its line \"%s\" after this one", listName.c_str(),
                  FormatPackLine(list.list, split[list.lines.size()]).c_str()));
  }
}

void CloseList(PackReading& reading) {
  if (!reading.list) {
    return;
  }
  const OpenList& list = *reading.list;
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
  reading.list.reset();
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
  const std::optional<int> number =
      line.words.size() == 2 ? RoomNumber(line.words[1]) : std::nullopt;
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
    const ByteList bytes = ReadFixedBytes(reading, line, ROOM_HEADER_SIZE);
    std::copy(bytes.begin(), bytes.end(), room.header.begin());
  } else if (kind == PIT) {
    const ByteList bytes = ReadFixedBytes(reading, line, 1);
    if (bytes[0] > 1) {
      Refuse(reading, line.number, "the pit flag is 00 or 01");
    }
    room.hasPit = bytes[0];
  } else {
    room.message = Words16(ReadFixedBytes(reading, line, 2)).at(0);
  }
}

void StartKind(PackReading& reading, Kind kind, const TextLine& line) {
  const std::string keyword(KIND_KEYWORDS[kind]);
  if (reading.room < 0) {
    Refuse(reading, line.number, Format("%s stands before the first room line", keyword.c_str()));
  }
  CloseList(reading);
  reading.noteAllowed = false;
  int& first = reading.kindLines.at(static_cast<std::size_t>(kind));
  if (first != 0) {
    Refuse(reading, line.number,
           Format("room %d has a second %s line (the first at line %d)", reading.room,
                  keyword.c_str(), first));
  }
  first = line.number;
  const std::optional<PackList> list = ListNamed(keyword);
  if (!list) {
    ReadSingleKind(reading, kind, line);
    return;
  }
  if (line.words.size() > 1) {
    Refuse(reading, line.number,
           Format("%s stands alone on its line; its entries follow on lines of their own",
                  keyword.c_str()));
  }
  reading.list = OpenList{*list, line.number, {}, {}};
}

void CheckEntryValue(const PackReading& reading, const TextLine& line, PackList list,
                     const ByteList& bytes) {
  if (list == PackList::Chests && bytes[0] != 0x00 && bytes[0] != CHEST_FLAG) {
    Refuse(reading, line.number, "a chest's flag byte is 00 or 80");
  }
  if (list == PackList::Torches && bytes[0] == 0xFF && bytes[1] == 0xFF) {
    Refuse(reading, line.number, "FF FF ends the torch table; it is no torch word");
  }
}

void ReadListLine(PackReading& reading, const TextLine& line) {
  const std::string keyword(line.words[0]);
  if (!reading.list) {
    Refuse(reading, line.number,
           IsLineKeyword(keyword) ? Format("%s lines stand only inside their list", keyword.c_str())
                                  : Format("unknown keyword %s", keyword.c_str()));
  }
  OpenList& list = *reading.list;
  const std::string listName(ListKeyword(list.list));
  const LineRule* rule = FindLineRule(list.list, keyword);
  if (rule == nullptr) {
    Refuse(reading, line.number,
           IsLineKeyword(keyword)
               ? Format("%s lines do not belong in the %s list", keyword.c_str(), listName.c_str())
               : Format("unknown keyword %s", keyword.c_str()));
  }
  PackLine entry{rule->keyword, {}};
  if (rule->form == LineForm::Fixed) {
    entry.bytes = ReadFixedBytes(reading, line, rule->count);
    CheckEntryValue(reading, line, list.list, entry.bytes);
  } else if (rule->form == LineForm::Raw) {
    entry.bytes = ReadBytes(reading, line);
    if (entry.bytes.empty() || entry.bytes.size() > PACK_RAW_LINE_LIMIT) {
      Refuse(reading, line.number, Format("raw lines hold 1 to %zu bytes", PACK_RAW_LINE_LIMIT));
    }
  } else if (line.words.size() > 1) {
    Refuse(reading, line.number, Format("%s lines hold no bytes", keyword.c_str()));
  } else if (rule->form == LineForm::Implied) {
    entry.bytes.assign(rule->implied.begin(),
                       rule->implied.begin() + static_cast<std::ptrdiff_t>(rule->count));
  }
  list.lines.push_back(std::move(entry));
  list.lineNumbers.push_back(line.number);
}

void ReadFormatLine(const PackReading& reading, const std::vector<TextLine>& lines) {
  const std::vector<std::string_view> expected = Words(PACK_FORMAT_NAME);
  const bool named = !lines.empty() && lines[0].words.size() == expected.size() + 1 &&
                     std::equal(expected.begin(), expected.end(), lines[0].words.begin());
  if (!named) {
    Refuse(reading, 1,
           Format("the first line reads \"%s %d\"", PACK_FORMAT_NAME, PACK_FORMAT_VERSION));
  }
  const std::string version(lines[0].words.back());
  if (version != std::to_string(PACK_FORMAT_VERSION)) {
    Refuse(reading, 1,
           Format("version %s of the room pack format is not known here; this roomxfer reads "
                  "version %d",
                  version.c_str(), PACK_FORMAT_VERSION));
  }
}

void ReadLine(PackReading& reading, const TextLine& line) {
  if (line.words.empty() || line.words[0].starts_with('#')) {
    return;
  }
  const std::string_view keyword = line.words[0];
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
  PackReading reading{name, {}, -1, 0, {}, {}, std::nullopt, true};
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
