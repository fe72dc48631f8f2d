#include "app/inspect_pack.h"

#include <algorithm>

#include "rom/format.h"

namespace {

void AppendNote(const std::string& indent, const NoteLines& note, std::string& text) {
  ForEachNoteLine(note, [&](std::string_view line) {
    text += indent + "note: ";
    text += line;
    text += '\n';
  });
}

}  // namespace

Inspection InspectPackRooms(const RoomPack& pack, const RoomList* rooms) {
  Inspection inspection;
  inspection.pack = true;
  inspection.note = pack.note;
  std::string& text = inspection.text;
  AppendNote("", pack.note, text);
  text += Format("%-9s  %6s  %6s  %6s  %6s %6s %7s  %-3s  %s\n", "Room", "Layer", "Sprite", "Items",
                 "Chests", "Blocks", "Torches", "Pit", "Message");
  const std::vector<int> held = HeldRooms(pack);
  LineCounter lines;
  for (const int room : held) {
    if (rooms != nullptr && std::find(rooms->begin(), rooms->end(), room) == rooms->end()) {
      continue;
    }
    const RoomData& data = pack.rooms[static_cast<std::size_t>(room)];
    inspection.rooms.push_back(InspectedRoomOf(data, room, lines.At(text)));
    inspection.rooms.back().note = pack.roomNotes.at(static_cast<std::size_t>(room));
    text += Format("0x%03X %3d  %6zu  %6zu  %6zu  %6zu %6zu %7zu  %-3s  %04X\n", room, room,
                   data.layerData.size(), data.spriteData.size(), data.itemData.size(),
                   data.chests.size() / 2, data.pushableBlocks.size(), data.torches.size(),
                   data.hasPit != 0 ? "yes" : "no", data.message);
    AppendNote("           ", pack.roomNotes.at(static_cast<std::size_t>(room)), text);
  }
  text += Format("%zu room%s in the pack\n", held.size(), held.size() == 1 ? "" : "s");
  return inspection;
}

std::string InspectPack(const RoomPack& pack, const RoomList* rooms) {
  return InspectPackRooms(pack, rooms).text;
}
