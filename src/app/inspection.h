// What --inspect shows, as data beside its text: the rooms it lists with
// their sizes, and where each room's row stands among the text's lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rooms/room_data.h"

struct InspectedRoom {
  int room = 0;
  std::size_t line = 0;  // the row's line in the text, from 0
  std::size_t layerBytes = 0;
  std::size_t spriteBytes = 0;
  std::size_t itemBytes = 0;
  std::size_t chests = 0;
  std::size_t pushableBlocks = 0;
  std::size_t torchWords = 0;
  bool pit = false;
  std::uint16_t message = 0;
  std::string note;  // a room pack's note on the room
};

struct Inspection {
  std::string text;  // what --inspect prints
  bool pack = false;
  std::string note;  // a room pack's own note
  std::vector<InspectedRoom> rooms;
};

// The sizes of `data` as room `room`, whose row is line `line` of the text.
InspectedRoom InspectedRoomOf(const RoomData& data, int room, std::size_t line);

// Counts the lines of a text as it grows: `At` gives the number of lines
// written so far, the line the next row will be.
struct LineCounter {
  std::size_t counted = 0;  // the bytes of the text counted
  std::size_t lines = 0;

  std::size_t At(const std::string& text);
};
