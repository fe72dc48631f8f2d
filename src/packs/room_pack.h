// A room pack: chosen rooms, complete, apart from any ROM. Each room keeps
// the number it was packed under; the pack's note and each room's note are
// the author's own lines, carried along unread.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "rooms/room_data.h"

// The lines of a note, each ended by "\n" (one empty line is "\n", no note
// is ""): one string, however many lines, so that a note costs its text.
using NoteLines = std::string;

struct RoomPack {
  NoteLines note;  // the pack's note
  RoomSet rooms;   // the rooms held; the others stay empty
  std::array<bool, ROOM_COUNT> held{};
  std::array<NoteLines, ROOM_COUNT> roomNotes{};
};

// The numbers of the rooms the pack holds, ascending.
std::vector<int> HeldRooms(const RoomPack& pack);

// Puts `room` into the pack as room `as`, replacing a room
// held under that number (its note goes with it when `note` is given).
void PackRoom(RoomPack& pack, int as, const RoomData& room, const NoteLines& note = {});

// Adds one line (without its "\n") to `note`.
void AddNoteLine(NoteLines& note, std::string_view line);

// Calls `each` with every line of `note`, without its "\n".
template <typename Each>
void ForEachNoteLine(const NoteLines& note, Each each) {
  std::size_t start = 0;
  while (start < note.size()) {
    const std::size_t end = note.find('\n', start);
    const std::size_t stop = end == std::string::npos ? note.size() : end;
    each(std::string_view(note).substr(start, stop - start));
    start = stop + 1;
  }
}
