#include "packs/pack_writer.h"

#include <string_view>
#include <vector>

#include "packs/pack_comments.h"
#include "packs/pack_lines.h"
#include "packs/pack_reader.h"
#include "rom/format.h"

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

// What comes between an entry and its comment.
constexpr std::string_view COMMENT_MARK = "  # ";

void AppendList(PackList list, const std::vector<PackLine>& lines, std::string& text) {
  text += ListKeyword(list);
  text += '\n';
  LineContext context;
  for (const PackLine& line : lines) {
    AppendPackLine(list, line, text);
    text += COMMENT_MARK;
    AppendListLineComment(list, line, context, text);
    text += '\n';
    if (line.keyword == "end") {
      ++context.layersEnded;
    }
  }
}

void AppendNote(const NoteLines& note, std::string& text) {
  ForEachNoteLine(note, [&](std::string_view line) {
    text += line.empty() ? "note" : "note ";
    text += line;
    text += '\n';
  });
}

void AppendRoom(const RoomPack& pack, int number, std::string& text) {
  const auto index = static_cast<std::size_t>(number);
  const RoomData& room = pack.rooms[index];
  text += Format("\nroom %d", number);
  text += COMMENT_MARK;
  AppendRoomComment(number, text);
  text += '\n';
  AppendNote(pack.roomNotes.at(index), text);
  text += "header " + HexBytes(room.header);
  text += COMMENT_MARK;
  AppendHeaderComment(room.header, text);
  text += '\n';
  AppendList(PackList::Layers, SplitLayerData(room.layerData, room.doorOffset), text);
  AppendList(PackList::Sprites, SplitSpriteList(room.spriteData), text);
  AppendList(PackList::Items, SplitItemList(room.itemData), text);
  AppendList(PackList::Chests, SplitEntries(room.chests, PackList::Chests), text);
  AppendList(PackList::Blocks, SplitEntries(WordBytes(room.pushableBlocks), PackList::Blocks),
             text);
  AppendList(PackList::Torches, SplitEntries(WordBytes(room.torches), PackList::Torches), text);
  const std::uint8_t pit = room.hasPit != 0 ? 1 : 0;
  text += Format("pit %02X", pit);
  text += COMMENT_MARK;
  AppendPitComment(pit, text);
  text += "\nmessage " + HexBytes(WordBytes({room.message}));
  text += COMMENT_MARK;
  AppendMessageComment(room.message, text);
  text += '\n';
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
