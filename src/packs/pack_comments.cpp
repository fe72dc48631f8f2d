#include "packs/pack_comments.h"

#include <array>

#include "rom/format.h"

namespace {

constexpr std::array<const char*, 4> DOOR_DIRECTIONS = {"north", "south", "west", "east"};

const char* LayerName(bool lower) { return lower ? "lower layer" : "upper layer"; }

// A tile position as the game's tilemap offsets hold it: bits 1-6 the column,
// bits 7-12 the row of 8-pixel tiles, bit 13 the lower layer's tilemap.
struct TileWord {
  int x;
  int y;
  bool lower;
};

TileWord DecodeTileWord(std::uint16_t word) {
  return {((word >> 1) & 0x3F) * 8, ((word >> 7) & 0x3F) * 8, (word & 0x2000) != 0};
}

std::uint16_t WordOf(const LineBytes& bytes) {
  return static_cast<std::uint16_t>(bytes.values[0] | bytes.values[1] << 8);
}

// The floor bytes: the high nibble of the first is the lower layer's floor,
// the low nibble the upper layer's; the second byte's bits 2-7 pick the
// layout, its bits 0-1 go into the camera's quadrant bits.
std::string FloorComment(const LineBytes& bytes) {
  const std::uint8_t floors = bytes.values[0];
  const std::uint8_t layout = bytes.values[1];
  return Format("lower floor $%X, upper floor $%X, layout $%02X, quadrant bits %d", floors >> 4,
                floors & 0xF, layout >> 2, layout & 3);
}

// An object, read where an object starts. Subtype 2 when the first byte is FC
// to FF: a 6-bit column and row spread over the three bytes, the object in the
// low 6 bits of the third. Otherwise the first two bytes hold the column and
// row in their bits 2-7 and its size in their bits 0-1; a third byte of F8 or
// more makes a subtype 3 object whose number is the third byte's low 3 bits
// and the two size fields.
std::string ObjectComment(const LineBytes& bytes) {
  const std::uint8_t b0 = bytes.values[0];
  const std::uint8_t b1 = bytes.values[1];
  const std::uint8_t b2 = bytes.values[2];
  if ((b0 & 0xFC) == 0xFC) {
    const int x = ((b0 & 3) << 4 | b1 >> 4) * 8;
    const int y = ((b1 & 0xF) << 2 | b2 >> 6) * 8;
    return Format("subtype 2 object $%02X at (%d, %d)", b2 & 0x3F, x, y);
  }
  const int x = (b0 >> 2) * 8;
  const int y = (b1 >> 2) * 8;
  const int size = (b0 & 3) << 2 | (b1 & 3);
  if (b2 >= 0xF8) {
    return Format("subtype 3 object $%02X at (%d, %d)", (b2 & 7) << 4 | size, x, y);
  }
  return Format("subtype 1 object $%02X at (%d, %d), size %d", b2, x, y, size);
}

// A door: bits 4-7 of the first byte its place along the wall, bits 0-1 the
// wall; the second byte its type.
std::string DoorComment(const LineBytes& bytes) {
  const std::uint8_t place = bytes.values[0];
  return Format("%s door at position %d, type $%02X", DOOR_DIRECTIONS.at(place & 3), place >> 4,
                bytes.values[1]);
}

const char* LayerOfSection(int section) {
  return section == 1 ? "lower layer" : "upper layer";  // sections 0 and 2 draw on the upper
}

std::string LayersLineComment(const PackLine& line, const LineContext& context) {
  const std::string_view keyword = line.keyword;
  const int layer = context.layersEnded;
  if (keyword == "floor") {
    return FloorComment(line.bytes);
  }
  if (keyword == "object") {
    return ObjectComment(line.bytes);
  }
  if (keyword == "door") {
    return DoorComment(line.bytes);
  }
  if (keyword == "doors" && layer < 3) {
    return Format("the door list of layer %d", layer + 1);
  }
  if (keyword == "end" && layer < 3) {
    return Format("end of layer %d (%s)", layer + 1, LayerOfSection(layer));
  }
  if (keyword == DOOR_LIST_KEYWORD) {
    return "where the room's door pointer points";
  }
  if (keyword == RAW_KEYWORD) {
    return layer == 3 ? "the 0xFF read behind layer 3" : "bytes that make no whole entry";
  }
  return "";
}

// A sprite: the first byte's bit 7 is its layer, bits 5-6 and the second
// byte's bits 5-7 its 5-bit aux value, the low 5 bits of each its row and
// column of 16 pixels; the third byte its number. All three bits 5-7 of the
// second byte set make it an overlord, and sprite $E4 with a first byte FE or
// FD gives the sprite before it a small or a big key.
std::string SpriteComment(const LineBytes& bytes) {
  const std::uint8_t s0 = bytes.values[0];
  const std::uint8_t s1 = bytes.values[1];
  const std::uint8_t id = bytes.values[2];
  if (id == 0xE4 && (s0 == 0xFE || s0 == 0xFD)) {
    return s0 == 0xFE ? "small key for the sprite before" : "big key for the sprite before";
  }
  const int x = (s1 & 0x1F) * 16;
  const int y = (s0 & 0x1F) * 16;
  const char* layer = LayerName((s0 & 0x80) != 0);
  if (id != 0xE4 && (s1 & 0xE0) == 0xE0) {
    return Format("overlord $%02X at (%d, %d), %s", id, x, y, layer);
  }
  const int aux = (s0 & 0x60) >> 2 | s1 >> 5;
  return Format("sprite $%02X at (%d, %d), %s, aux %d", id, x, y, layer, aux);
}

std::string SpritesLineComment(const PackLine& line) {
  const std::string_view keyword = line.keyword;
  if (keyword == "sort") {
    return line.bytes.values[0] != 0 ? "each layer's sprites in OAM slots of their own"
                                     : "the sprites share their OAM slots";
  }
  if (keyword == "sprite") {
    return SpriteComment(line.bytes);
  }
  if (keyword == "end") {
    return "end of the sprite list";
  }
  return "bytes that make no whole entry";
}

// A pot item: its tile word (bit 15 is not compared), then the item: 00
// none, 08 a key, 80 and more a tile that the pot reveals (88 a switch).
std::string ItemComment(const LineBytes& bytes) {
  const TileWord at = DecodeTileWord(WordOf(bytes));
  const std::uint8_t item = bytes.values[2];
  const char* kind = item == 0x00   ? " (nothing)"
                     : item == 0x08 ? " (key)"
                     : item == 0x88 ? " (switch)"
                     : item >= 0x80 ? " (a tile revealed)"
                                    : "";
  return Format("item $%02X%s at (%d, %d), %s", item, kind, at.x, at.y, LayerName(at.lower));
}

std::string ItemsLineComment(const PackLine& line) {
  const std::string_view keyword = line.keyword;
  if (keyword == "item") {
    return ItemComment(line.bytes);
  }
  if (keyword == "end") {
    return "end of the item list";
  }
  return "bytes that make no whole entry";
}

}  // namespace

std::string HeaderComment(std::span<const std::uint8_t> header) {
  if (header.size() < 14) {
    return "";
  }
  const auto h = [&](std::size_t index) { return static_cast<unsigned>(header[index]); };
  return Format(
      "bg2 %u, collision %u, dark %u, palette $%02X, blockset $%02X, spriteset $%02X, effect "
      "$%02X, tags $%02X $%02X, warp $%02X (plane %u), stairs $%02X $%02X $%02X $%02X (planes %u "
      "%u %u %u)",
      h(0) >> 5, (h(0) >> 2) & 7, h(0) & 1, h(1), h(2), h(3), h(4), h(5), h(6), h(9), h(7) & 3,
      h(10), h(11), h(12), h(13), (h(7) >> 2) & 3, (h(7) >> 4) & 3, h(7) >> 6, h(8) & 3);
}

std::string RoomComment(int room) { return Format("$%02X", room); }

std::string PitComment(std::uint8_t hasPit) {
  return hasPit != 0 ? "its pits do damage" : "its pits do no damage";
}

std::string MessageComment(std::uint16_t message) { return Format("message $%04X", message); }

std::string ListLineComment(PackList list, const PackLine& line, const LineContext& context) {
  switch (list) {
    case PackList::Layers:
      return LayersLineComment(line, context);
    case PackList::Sprites:
      return SpritesLineComment(line);
    case PackList::Items:
      return ItemsLineComment(line);
    case PackList::Chests:
      return Format("%s, item $%02X", line.bytes.values[0] != 0 ? "big chest" : "chest",
                    line.bytes.values[1]);
    case PackList::Blocks: {
      const TileWord at = DecodeTileWord(WordOf(line.bytes));
      return Format("block at (%d, %d), %s", at.x, at.y, LayerName(at.lower));
    }
    case PackList::Torches:
      break;
  }
  const std::uint16_t word = WordOf(line.bytes);
  const TileWord at = DecodeTileWord(word);
  return Format("torch at (%d, %d), %s, %s", at.x, at.y, LayerName(at.lower),
                (word & 0x8000) != 0 ? "lit" : "unlit");
}
