// Writing a room pack's text (the format is described in docs/packs.md):
// the format line, the pack's note, then every room held, in ascending
// order, each kind of its data in the lines the game's format splits it
// into, every entry line with a comment that decodes it (pack_comments.h).
// Nothing in the text depends on where or when it was written, so two packs
// of the same rooms are the same file.
#pragma once

#include <string>

#include "packs/room_pack.h"

std::string FormatRoomPack(const RoomPack& pack);
