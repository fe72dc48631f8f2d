// The page's room field: the pairs it names, and the field edited as a user
// would edit it, through the command line's own parsers. The field takes
// either form of the command line: a field holding ":" or ".." is a --rooms
// list ("10:20,0x60..0x6F:0x100"), any other a ROOMS list ("10-20-11-21").
#pragma once

#include <cstddef>
#include <string>

#include "rooms/transfer.h"

bool InRoomsOptionForm(const std::string& field);

// The pairs the field names, as the run builds them; false when the run
// refuses the list.
bool ReadField(const std::string& field, RoomList& sourceRooms, RoomList& destinationRooms);

// The field's pairs written as a --rooms list of decimal pairs ("1:40,2:41");
// "" when the run would refuse the field.
std::string FieldAsPairs(const std::string& field);

// The field with the pair `source`:`destination` appended: behind a --rooms
// list as typed, a ROOMS list first written as --rooms pairs; an empty field
// gives the pair alone. A field the run would refuse, or that would be
// refused with the pair, is given back unchanged.
std::string FieldWithPair(const std::string& field, int source, int destination);

// The field without its pair number `index` (from 0), everything else as
// typed: a range the pair lies in is split around it, its numbers written in
// the form of the range's own (decimal, 0x, $, leading zeros, letter case).
// "" when no pair is left; the field unchanged when it is refused or has no
// such pair.
std::string FieldWithoutPair(const std::string& field, std::size_t index);
