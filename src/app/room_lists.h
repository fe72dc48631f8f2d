// The room list argument: room numbers separated by "-", taken in pairs
// source, destination.
#pragma once

#include <string>

#include "rooms/transfer.h"

// Splits like strtok at runs of "-" and converts each token like atoi (a
// token without leading digits gives 0). A number that does not fit in 32
// bits becomes -1, which CheckRoomLists rejects.
void ParseRoomList(const std::string& argument, RoomList& sourceRooms, RoomList& destinationRooms);

// Both lists non-empty, of equal length, every entry 0 to 319.
bool CheckRoomLists(const RoomList& sourceRooms, const RoomList& destinationRooms);

// Every room onto the room of the same number.
void FillIdentityRoomLists(RoomList& sourceRooms, RoomList& destinationRooms);
