#include "app/pack_source.h"

#include "packs/pack_reader.h"
#include "rom/failure.h"
#include "rom/format.h"

RoomPack ReadPackFile(const InputFile& file) {
  if (!file.pack) {
    StopRun(Format("%s is not a room pack.\n", file.name.c_str()));
  }
  return ReadRoomPack(*file.pack, file.name);
}

void FillHeldRoomLists(const RoomPack& pack, RoomList& sourceRooms, RoomList& destinationRooms) {
  sourceRooms.clear();
  destinationRooms.clear();
  for (const int room : HeldRooms(pack)) {
    sourceRooms.push_back(room);
    destinationRooms.push_back(room);
  }
}

void RefuseRoomsNotHeld(const RoomPack& pack, const std::string& name,
                        const RoomList& sourceRooms) {
  for (const std::int32_t room : sourceRooms) {
    if (!pack.held.at(static_cast<std::size_t>(room))) {
      StopRun(Format("%s: the room pack holds no room %d.\n", name.c_str(), room));
    }
  }
}
