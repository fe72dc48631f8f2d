#include "rooms/room_data.h"

void EmptyRoomSet(RoomSet& rooms) {
  for (RoomData& room : rooms.rooms) {
    room.header.fill(0);
    room.layerData.clear();
    room.spriteData.clear();
    room.itemData.clear();
    room.pushableBlocks.clear();
    room.torches.clear();
    room.chests.clear();
    room.hasPit = 0;
    room.message = 0;
    room.doorOffset.reset();
  }
}
