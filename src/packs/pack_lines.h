// How the room data of one kind split into the lines of a room pack: the
// keywords of each list, the bytes each line stands for, and the one split
// of a list's bytes that the writer writes and the reader insists on (so
// that reading and writing again gives the same file). The format itself is
// described in docs/packs.md. Where a list ends is list_ends.h's to say; the
// sizes of the entries are the tables'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rom/byte_list.h"
#include "tables/list_ends.h"

// The lists of a room, in the order the writer writes them.
enum class PackList { Layers, Sprites, Items, Chests, Blocks, Torches };

// What a line of a list holds: a fixed number of bytes given on the line,
// bytes the keyword stands for (none on the line), 1 to PACK_RAW_LINE_LIMIT
// bytes kept as they are, or no byte at all (the door list's place).
enum class LineForm { Fixed, Implied, Raw, Marker };

struct LineRule {
  std::string_view keyword;
  LineForm form;
  std::size_t count;                      // Fixed: the bytes on the line; Implied: the bytes meant
  std::array<std::uint8_t, 2> implied{};  // Implied only
};

constexpr std::size_t PACK_RAW_LINE_LIMIT = 16;

// The bytes of one line, at most PACK_RAW_LINE_LIMIT, held in place so that a
// line costs no allocation; the places from `count` on stay zero.
struct LineBytes {
  std::array<std::uint8_t, PACK_RAW_LINE_LIMIT> values{};
  std::size_t count = 0;

  bool operator==(const LineBytes&) const = default;
};

// One line of a list: its keyword and the bytes it stands for.
struct PackLine {
  std::string_view keyword;
  LineBytes bytes;

  bool operator==(const PackLine&) const = default;
};

// The line's bytes as a span.
std::span<const std::uint8_t> LineByteSpan(const LineBytes& bytes);
constexpr std::string_view RAW_KEYWORD = "raw";
constexpr std::string_view DOOR_LIST_KEYWORD = "door-list";

// The lists whose end list_ends.h finds (the others have no end marker).
std::optional<ListKind> EndedListKind(PackList list);

// The list's keyword line ("layers") and the rules of its lines.
std::string_view ListKeyword(PackList list);
std::optional<PackList> ListNamed(std::string_view keyword);
const std::vector<LineRule>& ListLineRules(PackList list);
const LineRule* FindLineRule(PackList list, std::string_view keyword);

// The lines of the layer data: the floor bytes, then per layer its objects,
// the door list (F0 FF, then its door entries) and the FF FF that ends it, the
// layers ended where list_ends.h ends them; the door list's place, when the
// room has one, at `doorOffset`. Bytes that make no whole entry are raw lines.
std::vector<PackLine> SplitLayerData(const ByteList& data, std::optional<std::uint32_t> doorOffset);
// The sort byte, the 3-byte sprites and the 0xFF end byte (bytes behind the
// list's end, which no list read from a ROM has, are raw lines).
std::vector<PackLine> SplitSpriteList(const ByteList& data);
// The 3-byte items and the FF FF end.
std::vector<PackLine> SplitItemList(const ByteList& data);
// Entries of `count` bytes each under one keyword (chests, blocks, torches).
std::vector<PackLine> SplitEntries(const ByteList& data, PackList list);

// "object 01 02 03": the line as the writer writes it.
std::string FormatPackLine(PackList list, const PackLine& line);
// The same line, added at the end of `text`.
void AppendPackLine(PackList list, const PackLine& line, std::string& text);
// Two upper-case hex digits per byte, a space between bytes.
std::string HexBytes(std::span<const std::uint8_t> bytes);
