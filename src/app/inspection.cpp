#include "app/inspection.h"

#include <algorithm>
#include <cstddef>

InspectedRoom InspectedRoomOf(const RoomData& data, int room, std::size_t line) {
  InspectedRoom row;
  row.room = room;
  row.line = line;
  row.layerBytes = data.layerData.size();
  row.spriteBytes = data.spriteData.size();
  row.itemBytes = data.itemData.size();
  row.chests = data.chests.size() / 2;
  row.pushableBlocks = data.pushableBlocks.size();
  row.torchWords = data.torches.size();
  row.pit = data.hasPit != 0;
  row.message = data.message;
  return row;
}

std::size_t LineCounter::At(const std::string& text) {
  lines += static_cast<std::size_t>(
      std::count(text.begin() + static_cast<std::ptrdiff_t>(counted), text.end(), '\n'));
  counted = text.size();
  return lines;
}
