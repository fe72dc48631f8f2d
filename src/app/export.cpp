#include "app/export.h"

#include <cstdio>
#include <optional>
#include <string>

#include "app/input_files.h"
#include "app/job/all_rooms.h"
#include "app/pack_source.h"
#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/rom_file.h"
#include "packs/pack_writer.h"

namespace {

// Pairs source room, pack room; false when no list is given.
bool ReadExportList(const CommandLine& line, RoomList& sourceRooms, RoomList& packRooms) {
  bool wellFormed = true;
  if (line.rooms) {
    wellFormed = ParseRoomsOption(*line.rooms, sourceRooms, packRooms, LoneItems::NameThemselves);
  } else if (line.positionals.size() >= 2) {
    ParseRoomList(line.positionals[1], sourceRooms, packRooms);
  } else {
    return false;
  }
  if (!wellFormed || !CheckRoomLists(sourceRooms, packRooms)) {
    StopRun("List of rooms is incorrect.\n");
  }
  return true;
}

// The source's rooms as a pack: a pack as it is, a ROM's 320 rooms read as a
// transfer reads its source (a ROM with this tool's loader prints its line).
RoomPack ReadSource(InputFile& source) {
  if (source.pack) {
    return ReadPackFile(source);
  }
  RomImage& image = source.rom->image;
  image.name = source.name;  // no headerless copy is made: messages name the file itself
  RoomPack pack;
  RoomPointerTables tables;
  ReadAllRooms(image, pack.rooms, tables, LayoutKind::Classic, stdout);
  pack.held.fill(true);
  return pack;
}

void WritePack(const std::string& name, const RoomPack& pack) {
  RomImage text;
  text.name = name;
  const std::string content = FormatRoomPack(pack);
  text.bytes.assign(content.begin(), content.end());
  std::optional<PendingFile> file = CreatePendingFile(name);
  if (!file) {
    StopRun(Format("Could not open new room pack file %s.\n", name.c_str()));
  }
  CommitFile(*file, text);
}

}  // namespace

void RunExport(const CommandLine& line) {
  const std::string& packName = *line.exportPack;
  RoomList sourceRooms;
  RoomList packRooms;
  const bool listGiven = ReadExportList(line, sourceRooms, packRooms);

  InputFile source = LoadInputFile(line.positionals[0]);
  if (!source.canOpen) {
    StopRun(Format("Could not open source ROM file %s.\n", source.name.c_str()));
  }
  RefuseTooLarge(source);
  if (IsSameFile(packName, source.name)) {
    StopRun(Format("Refusing to write %s (the room pack): it is the same file as the %s %s.\n",
                   packName.c_str(), source.pack ? "source pack" : "source ROM",
                   source.name.c_str()));
  }
  const RoomPack sourcePack = ReadSource(source);
  if (!listGiven) {
    FillHeldRoomLists(sourcePack, sourceRooms, packRooms);
  } else if (source.pack) {
    RefuseRoomsNotHeld(sourcePack, source.name, sourceRooms);
  }

  RoomPack pack;
  pack.note = sourcePack.note;
  for (std::size_t pair = 0; pair < sourceRooms.size(); ++pair) {
    const auto from = static_cast<std::size_t>(sourceRooms[pair]);
    PackRoom(pack, packRooms[pair], sourcePack.rooms[from], sourcePack.roomNotes.at(from));
  }
  WritePack(packName, pack);
  const std::size_t count = HeldRooms(pack).size();
  std::printf("Wrote %zu room%s into %s.\n", count, count == 1 ? "" : "s", packName.c_str());
}
