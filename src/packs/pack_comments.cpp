#include "packs/pack_comments.h"

#include <array>
#include <string_view>

#include "tables/chests.h"

namespace {

// The comments are built piece by piece: a pack of 320 rooms has some 16,000
// of them, and a format string for each would cost more than all the rest of
// the writing.

void AppendNumber(unsigned value, std::string& text) {
  std::array<char, 10> digits{};
  std::size_t count = 0;
  do {
    digits.at(count++) = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) {
    text += digits.at(--count);
  }
}

// "$" and `digits` upper-case hex digits.
void AppendHex(unsigned value, int digits, std::string& text) {
  constexpr std::string_view DIGITS = "0123456789ABCDEF";
  text += '$';
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    text += DIGITS[(value >> shift) & 0xF];
  }
}

// "(x, y)"
void AppendPoint(unsigned x, unsigned y, std::string& text) {
  text += '(';
  AppendNumber(x, text);
  text += ", ";
  AppendNumber(y, text);
  text += ')';
}

std::string_view LayerName(bool lower) { return lower ? "lower layer" : "upper layer"; }

constexpr std::array<std::string_view, 4> DOOR_WALLS = {"north", "south", "west", "east"};

// A tile position as the game's tilemap offsets hold it: bits 1-6 the column,
// bits 7-12 the row of 8-pixel tiles, bit 13 the lower layer's tilemap.
void AppendTileWord(std::uint16_t word, std::string& text) {
  AppendPoint(((word >> 1) & 0x3Fu) * 8, ((word >> 7) & 0x3Fu) * 8, text);
  text += ", ";
  text += LayerName((word & 0x2000) != 0);
}

std::uint16_t WordOf(const LineBytes& bytes) {
  return static_cast<std::uint16_t>(bytes.values[0] | bytes.values[1] << 8);
}

// The floor bytes: the high nibble of the first is the lower layer's floor,
// the low nibble the upper layer's; the second byte's bits 2-7 pick the
// layout, its bits 0-1 go into the camera's quadrant bits.
void AppendFloor(const LineBytes& bytes, std::string& text) {
  const unsigned floors = bytes.values[0];
  const unsigned layout = bytes.values[1];
  text += "lower floor ";
  AppendHex(floors >> 4, 1, text);
  text += ", upper floor ";
  AppendHex(floors & 0xF, 1, text);
  text += ", layout ";
  AppendHex(layout >> 2, 2, text);
  text += ", quadrant bits ";
  AppendNumber(layout & 3, text);
}

// An object, read where an object starts. Subtype 2 when the first byte is FC
// to FF: a 6-bit column and row spread over the three bytes, the object in the
// low 6 bits of the third. Otherwise the first two bytes hold the column and
// row in their bits 2-7 and its size in their bits 0-1; a third byte of F8 or
// more makes a subtype 3 object whose number is the third byte's low 3 bits
// and the two size fields.
void AppendObject(const LineBytes& bytes, std::string& text) {
  const unsigned b0 = bytes.values[0];
  const unsigned b1 = bytes.values[1];
  const unsigned b2 = bytes.values[2];
  if ((b0 & 0xFC) == 0xFC) {
    text += "subtype 2 object ";
    AppendHex(b2 & 0x3F, 2, text);
    text += " at ";
    AppendPoint(((b0 & 3) << 4 | b1 >> 4) * 8, ((b1 & 0xF) << 2 | b2 >> 6) * 8, text);
    return;
  }
  const unsigned size = (b0 & 3) << 2 | (b1 & 3);
  const bool subtype3 = b2 >= 0xF8;
  text += subtype3 ? "subtype 3 object " : "subtype 1 object ";
  AppendHex(subtype3 ? (b2 & 7) << 4 | size : b2, 2, text);
  text += " at ";
  AppendPoint((b0 >> 2) * 8, (b1 >> 2) * 8, text);
  if (!subtype3) {
    text += ", size ";
    AppendNumber(size, text);
  }
}

// A door: bits 4-7 of the first byte its place along the wall, bits 0-1 the
// wall; the second byte its type.
void AppendDoor(const LineBytes& bytes, std::string& text) {
  const unsigned place = bytes.values[0];
  text += DOOR_WALLS.at(place & 3);
  text += " door at position ";
  AppendNumber(place >> 4, text);
  text += ", type ";
  AppendHex(bytes.values[1], 2, text);
}

void AppendLayersLine(const PackLine& line, const LineContext& context, std::string& text) {
  const std::string_view keyword = line.keyword;
  const int layer = context.layersEnded;
  const bool inLayers = layer < 3;
  if (keyword == "floor") {
    AppendFloor(line.bytes, text);
  } else if (keyword == "object") {
    AppendObject(line.bytes, text);
  } else if (keyword == "door") {
    AppendDoor(line.bytes, text);
  } else if (keyword == "doors" || keyword == "end") {
    text += keyword == "doors" ? "the door list of layer " : "end of layer ";
    AppendNumber(static_cast<unsigned>(inLayers ? layer + 1 : 3), text);
    // Sections 1 and 3 are drawn on the upper layer, section 2 on the lower.
    if (keyword == "end") {
      text += layer == 1 ? " (lower layer)" : " (upper layer)";
    }
  } else if (keyword == DOOR_LIST_KEYWORD) {
    text += "where the room's door pointer points";
  } else {
    text += layer == 3 ? "the 0xFF read behind layer 3" : "bytes that make no whole entry";
  }
}

// A sprite: the first byte's bit 7 is its layer, bits 5-6 and the second
// byte's bits 5-7 its 5-bit aux value, the low 5 bits of each its row and
// column of 16 pixels; the third byte its number. All three bits 5-7 of the
// second byte set make it an overlord, and sprite $E4 with a first byte FE or
// FD gives the sprite before it a small or a big key.
void AppendSprite(const LineBytes& bytes, std::string& text) {
  const unsigned s0 = bytes.values[0];
  const unsigned s1 = bytes.values[1];
  const unsigned id = bytes.values[2];
  if (id == 0xE4 && (s0 == 0xFE || s0 == 0xFD)) {
    text += s0 == 0xFE ? "small key for the sprite before" : "big key for the sprite before";
    return;
  }
  const bool overlord = id != 0xE4 && (s1 & 0xE0) == 0xE0;
  text += overlord ? "overlord " : "sprite ";
  AppendHex(id, 2, text);
  text += " at ";
  AppendPoint((s1 & 0x1F) * 16, (s0 & 0x1F) * 16, text);
  text += ", ";
  text += LayerName((s0 & 0x80) != 0);
  if (!overlord) {
    text += ", aux ";
    AppendNumber((s0 & 0x60) >> 2 | s1 >> 5, text);
  }
}

void AppendSpritesLine(const PackLine& line, std::string& text) {
  const std::string_view keyword = line.keyword;
  if (keyword == "sort") {
    text += line.bytes.values[0] != 0 ? "each layer's sprites in OAM slots of their own"
                                      : "the sprites share their OAM slots";
  } else if (keyword == "sprite") {
    AppendSprite(line.bytes, text);
  } else if (keyword == "end") {
    text += "end of the sprite list";
  } else {
    text += "bytes that make no whole entry";
  }
}

// A pot item: its tile word (bit 15 is not compared), then the item: 00
// none, 08 a key, 80 and more a tile that the pot reveals (88 a switch).
void AppendItem(const LineBytes& bytes, std::string& text) {
  const unsigned item = bytes.values[2];
  text += "item ";
  AppendHex(item, 2, text);
  text += item == 0x00   ? " (nothing)"
          : item == 0x08 ? " (key)"
          : item == 0x88 ? " (switch)"
          : item >= 0x80 ? " (a tile revealed)"
                         : "";
  text += " at ";
  AppendTileWord(WordOf(bytes), text);
}

void AppendItemsLine(const PackLine& line, std::string& text) {
  const std::string_view keyword = line.keyword;
  if (keyword == "item") {
    AppendItem(line.bytes, text);
  } else if (keyword == "end") {
    text += "end of the item list";
  } else {
    text += "bytes that make no whole entry";
  }
}

// A torch word is a tile word with bit 15 set for a torch that burns.
void AppendTorch(std::uint16_t word, std::string& text) {
  text += "torch at ";
  AppendTileWord(word, text);
  text += (word & 0x8000) != 0 ? ", lit" : ", unlit";
}

}  // namespace

void AppendHeaderComment(std::span<const std::uint8_t> header, std::string& text) {
  if (header.size() < 14) {
    return;
  }
  const auto h = [&](std::size_t index) { return static_cast<unsigned>(header[index]); };
  const auto field = [&](std::string_view name, unsigned value, int digits) {
    text += name;
    if (digits == 0) {
      AppendNumber(value, text);
    } else {
      AppendHex(value, digits, text);
    }
  };
  field("bg2 ", h(0) >> 5, 0);
  field(", collision ", (h(0) >> 2) & 7, 0);
  field(", dark ", h(0) & 1, 0);
  field(", palette ", h(1), 2);
  field(", blockset ", h(2), 2);
  field(", spriteset ", h(3), 2);
  field(", effect ", h(4), 2);
  field(", tags ", h(5), 2);
  field(" ", h(6), 2);
  field(", warp ", h(9), 2);
  field(" (plane ", h(7) & 3, 0);
  field("), stairs ", h(10), 2);
  field(" ", h(11), 2);
  field(" ", h(12), 2);
  field(" ", h(13), 2);
  field(" (planes ", (h(7) >> 2) & 3, 0);
  field(" ", (h(7) >> 4) & 3, 0);
  field(" ", h(7) >> 6, 0);
  field(" ", h(8) & 3, 0);
  text += ')';
}

void AppendRoomComment(int room, std::string& text) {
  AppendHex(static_cast<unsigned>(room), room > 0xFF ? 3 : 2, text);
}

void AppendPitComment(std::uint8_t hasPit, std::string& text) {
  text += hasPit != 0 ? "its pits do damage" : "its pits do no damage";
}

void AppendMessageComment(std::uint16_t message, std::string& text) {
  text += "message ";
  AppendHex(message, 4, text);
}

void AppendListLineComment(PackList list, const PackLine& line, const LineContext& context,
                           std::string& text) {
  switch (list) {
    case PackList::Layers:
      AppendLayersLine(line, context, text);
      return;
    case PackList::Sprites:
      AppendSpritesLine(line, text);
      return;
    case PackList::Items:
      AppendItemsLine(line, text);
      return;
    case PackList::Chests:
      text += line.bytes.values[0] == BIG_CHEST_FLAG ? "big chest, item " : "chest, item ";
      AppendHex(line.bytes.values[1], 2, text);
      return;
    case PackList::Blocks:
      text += "block at ";
      AppendTileWord(WordOf(line.bytes), text);
      return;
    case PackList::Torches:
      break;
  }
  AppendTorch(WordOf(line.bytes), text);
}
