#include "packs/pack_writer.h"

#include <vector>

#include "rom/format.h"
#include "packs/pack_lines.h"
#include "packs/pack_reader.h"

namespace {

// A word list as the game's tables hold it: low byte first.
ByteList WordBytes(const std::vector<std::uint16_t>& words) {
  ByteList bytes;
  for (const std::uint16_t word : words) {
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  return bytes;
}

void AppendList(PackList list, const std::vector<PackLine>& lines, std::string& text) {
  text += ListKeyword(list);
  text += '\n';
  for (const PackLine& line : lines) {
    AppendPackLine(list, line, text);
    text += '\n';
  }
}

void AppendNote(const std::vector<std::string>& note, std::string& text) {
  for (const std::string& line : note) {
    text += line.empty() ? "note\n" : "note " + line + "\n";
  }
}

void AppendRoom(const RoomPack& pack, int number, std::string& text) {
  const auto index = static_cast<std::size_t>(number);
  const RoomData& room = pack.rooms[index];
  text += Format("\nroom %d\n", number);
  AppendNote(pack.roomNotes.at(index), text);
  text += "header " + HexBytes(ByteList(room.header.begin(), room.header.end())) + "\n";
  AppendList(PackList::Layers, SplitLayerData(room.layerData, room.doorOffset), text);
  AppendList(PackList::Sprites, SplitSpriteList(room.spriteData), text);
  AppendList(PackList::Items, SplitItemList(room.itemData), text);
  AppendList(PackList::Chests, SplitEntries(room.chests, PackList::Chests), text);
  AppendList(PackList::Blocks, SplitEntries(WordBytes(room.pushableBlocks), PackList::Blocks),
             text);
  AppendList(PackList::Torches, SplitEntries(WordBytes(room.torches), PackList::Torches), text);
  text += Format("pit %02X\n", room.hasPit != 0 ? 1 : 0);
  text += "message " + HexBytes(WordBytes({room.message})) + "\n";
}

}  // namespace

std::string FormatRoomPack(const RoomPack& pack) {
  std::string text = Format("%s %d\n", PACK_FORMAT_NAME, PACK_FORMAT_VERSION);
  AppendNote(pack.note, text);
  for (const int room : HeldRooms(pack)) {
    AppendRoom(pack, room, text);
  }
  return text;
}
