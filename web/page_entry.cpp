// The page's way into the core: the command line's own run, and the room
// field's checks and rewritings, each through the core's parsers. The page
// puts its files into the in-memory file system and calls these; every line
// and every byte it shows comes from here.
#include <cstdint>
#include <string>
#include <utility>

#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "app/run.h"
#include "rom/rom_file.h"

#define PAGE_ENTRY extern "C" __attribute__((used, visibility("default")))

namespace {

// The one place the page's session keeps anything: the text last handed to
// the page, alive until the next call.
std::string pageText;

const char* HandToPage(std::string text) {
  pageText = std::move(text);
  return pageText.c_str();
}

// A field holding ":" or ".." is in the --rooms form, any other the ROOMS form.
bool InRoomsOptionForm(const std::string& field) {
  return field.find(':') != std::string::npos || field.find("..") != std::string::npos;
}

// The pairs the field names, as the run would build them; false when the run
// would refuse the list.
bool ReadField(const std::string& field, RoomList& sourceRooms, RoomList& destinationRooms) {
  bool wellFormed = true;
  if (InRoomsOptionForm(field)) {
    wellFormed = ParseRoomsOption(field, sourceRooms, destinationRooms);
  } else {
    ParseRoomList(field, sourceRooms, destinationRooms);
  }
  return wellFormed && CheckRoomLists(sourceRooms, destinationRooms);
}

std::string RoomsOptionForm(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  std::string list;
  for (std::size_t i = 0; i < sourceRooms.size() && i < destinationRooms.size(); ++i) {
    list += (i == 0 ? "" : ",") + std::to_string(sourceRooms.at(i)) + ":" +
            std::to_string(destinationRooms.at(i));
  }
  return list;
}

}  // namespace

// The command line's run on `argv` (program name first), in the current
// folder: its lines go to standard output, its files into the folder. Gives
// the exit status; a failure returns here like any other run.
PAGE_ENTRY int PageRun(int argc, char** argv) { return RunCommandLine(argc, argv); }

// How many bytes of a file the page hands to the core at most: as many as
// the command line reads before it calls a file too large.
PAGE_ENTRY double PageInputReadLimit() { return static_cast<double>(MAX_INPUT_FILE_SIZE + 1); }

// 1 when the field is in the --rooms form (it goes to --rooms), 0 for ROOMS.
PAGE_ENTRY int PageFieldIsRoomsOption(const char* field) {
  return InRoomsOptionForm(field) ? 1 : 0;
}

// 1 when the run would take the field's list, else 0.
PAGE_ENTRY int PageFieldIsUsable(const char* field) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  return ReadField(field, sourceRooms, destinationRooms) ? 1 : 0;
}

// The field's pairs in the --rooms form, one item per pair ("" when the list
// is not usable).
PAGE_ENTRY const char* PageFieldPairs(const char* field) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  if (!ReadField(field, sourceRooms, destinationRooms)) {
    return HandToPage("");
  }
  return HandToPage(RoomsOptionForm(sourceRooms, destinationRooms));
}

// The field with the pair `source`:`destination` appended, in the --rooms
// form; an empty field gives that pair alone; a field the run would refuse
// is given back unchanged.
PAGE_ENTRY const char* PageFieldWithPair(const char* field, int source, int destination) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  const std::string text = field;
  if (!text.empty() && !ReadField(text, sourceRooms, destinationRooms)) {
    return HandToPage(text);
  }
  sourceRooms.push_back(source);
  destinationRooms.push_back(destination);
  if (!CheckRoomLists(sourceRooms, destinationRooms)) {
    return HandToPage(text);
  }
  return HandToPage(RoomsOptionForm(sourceRooms, destinationRooms));
}

// The field without its pair number `index` (from 0), in the --rooms form;
// "" when no pair is left.
PAGE_ENTRY const char* PageFieldWithoutPair(const char* field, int index) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  const std::string text = field;
  if (!ReadField(text, sourceRooms, destinationRooms) || index < 0 ||
      static_cast<std::size_t>(index) >= sourceRooms.size()) {
    return HandToPage(text);
  }
  sourceRooms.erase(sourceRooms.begin() + index);
  destinationRooms.erase(destinationRooms.begin() + index);
  return HandToPage(RoomsOptionForm(sourceRooms, destinationRooms));
}
