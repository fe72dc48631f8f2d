#include "app/export.h"

#include <cstdio>
#include <optional>
#include <string>

#include "app/input_files.h"
#include "app/job/all_rooms.h"
#include "app/pack_source.h"
#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "packs/pack_writer.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/rom_file.h"

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

[[noreturn]] void RefuseToReplace(const std::string& name, const char* reason) {
  StopRun(Format("Refusing to write %s (the room pack): the file exists and %s.\n", name.c_str(),
                 reason));
}

// The pack that PACK holds already, which the export replaces; nothing when
// there is none. A file there that is not a room pack is never replaced.
std::optional<RoomPack> ReadEarlierPack(const std::string& name) {
  switch (KindOfFile(name)) {
    case FileKind::Missing:
    case FileKind::Directory:  // not replaced either: creating the pack fails
      return std::nullopt;
    case FileKind::Other:
      RefuseToReplace(name, "is not a room pack");
    case FileKind::Regular:
      break;
  }
  const InputFile earlier = LoadInputFile(name);
  if (!earlier.canOpen) {
    RefuseToReplace(name, "cannot be read");
  }
  if (!earlier.pack) {
    RefuseToReplace(name, "is not a room pack");
  }
  return ReadPackFile(earlier);
}

// The earlier pack's note where it has one, otherwise the source's.
const NoteLines& KeptNote(const NoteLines* earlier, const NoteLines& source) {
  return earlier != nullptr && !earlier->empty() ? *earlier : source;
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
  const std::optional<RoomPack> earlier = ReadEarlierPack(packName);
  const RoomPack sourcePack = ReadSource(source);
  if (!listGiven) {
    FillHeldRoomLists(sourcePack, sourceRooms, packRooms);
  } else if (source.pack) {
    RefuseRoomsNotHeld(sourcePack, source.name, sourceRooms);
  }

  // The notes written into the pack before are kept: its own, and those of
  // the rooms exported into it again.
  RoomPack pack;
  pack.note = KeptNote(earlier ? &earlier->note : nullptr, sourcePack.note);
  for (std::size_t pair = 0; pair < sourceRooms.size(); ++pair) {
    const auto from = static_cast<std::size_t>(sourceRooms[pair]);
    const auto to = static_cast<std::size_t>(packRooms[pair]);
    const bool heldBefore = earlier && earlier->held.at(to);
    PackRoom(
        pack, packRooms[pair], sourcePack.rooms[from],
        KeptNote(heldBefore ? &earlier->roomNotes.at(to) : nullptr, sourcePack.roomNotes.at(from)));
  }
  WritePack(packName, pack);
  const std::size_t count = HeldRooms(pack).size();
  std::printf("Wrote %zu room%s into %s.\n", count, count == 1 ? "" : "s", packName.c_str());
}
