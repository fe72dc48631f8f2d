#include "rooms/transfer.h"

void TransferRooms(RoomSet& destinationSet, const RoomList& destinationRooms,
                   const RoomSet& sourceSet, const RoomList& sourceRooms) {
  for (std::size_t pair = 0; pair < destinationRooms.size(); ++pair) {
    const RoomData& source = sourceSet[static_cast<std::size_t>(sourceRooms.at(pair))];
    RoomData& destination = destinationSet[static_cast<std::size_t>(destinationRooms[pair])];
    destination = source;
    destination.hasPit = source.hasPit != 0 ? 1 : 0;
  }
}
