// Reading a room pack: rooms in a text file that travels without the ROM.
// The format, version 1, and every refusal are described in full in
// docs/packs.md. In short: after an optional UTF-8 byte-order mark and any
// blank or comment lines, the format line; then the pack's note, and per room
// a room line, its note and one line per entry of each kind of its data; a
// "#" ends what is read of any line. The lines of a list must be the split the
// writer makes of their bytes, and a list must end as the ROM's reader ends
// it (list_ends.h); anything else is refused in one line naming the file and
// the line.
//
// The text is read line by line, and what is kept is the rooms' data and the
// notes: a list's lines are held only while the list is checked, and no more
// of them than its longest form has.
#pragma once

#include <string>

#include "packs/room_pack.h"
#include "rom/byte_list.h"

constexpr const char* PACK_FORMAT_NAME = "roomxfer room pack";
constexpr int PACK_FORMAT_VERSION = 1;

// Whether the file's first line that is not blank or a comment (after an
// optional byte-order mark) names the pack format, of any version.
bool IsRoomPack(const ByteList& file);

// The pack in `file`, whose name `name` the messages give; anything that is
// not a pack of a version known here stops the run.
RoomPack ReadRoomPack(const ByteList& file, const std::string& name);
