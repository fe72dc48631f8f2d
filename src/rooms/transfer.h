// Copying the chosen source rooms onto the chosen destination rooms.
#pragma once

#include <cstdint>
#include <vector>

#include "rooms/room_data.h"

using RoomList = std::vector<std::int32_t>;

// Pair i sends source room sourceRooms[i] onto destination room
// destinationRooms[i], replacing every field; pairs apply in order, always
// from the unchanged source set. The lists must have passed CheckRoomLists.
void TransferRooms(RoomSet& destinationSet, const RoomList& destinationRooms,
                   const RoomSet& sourceSet, const RoomList& sourceRooms);
