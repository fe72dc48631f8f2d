// Reading a room pack: rooms in a text file that travels without the ROM.
//
// The format, version 1. Plain ASCII text, one entry per line, so that a
// text diff shows the entry that changed. Lines end in LF (CRLF is read as
// well); words on a line are separated by spaces; bytes are two hex digits
// (the writer writes upper case, the reader takes either). Blank lines and
// lines whose first word starts with "#" may stand anywhere after the first
// line and are not kept.
//
//   roomxfer room pack 1      the first line: the format and its version
//   note TEXT                 the pack's note: any number of lines, right
//                             after the first line
//   room N                    starts room N (decimal, 0 to 319), the number
//                             it is packed under; each room once
//   note TEXT                 the room's note, right after its room line
//
// Then every kind of the room's data, each exactly once, in any order (the
// writer keeps the order below). A kind that is empty is still given: its
// list line with no entry under it.
//
//   header B*14               the room's 14 header bytes
//   layers                    the layer data, as the game splits it:
//     floor B B                 the floor bytes, the first two of layer 1
//     object B B B              one object of the layer
//     doors                     F0 FF: the layer's door list starts
//     door B B                  one door entry
//     end                       FF FF: the layer ends (three layers)
//     door-list                 no bytes: where the room's door pointer
//                               points (a ROM with a door pointer table)
//   sprites                   the sprite list:
//     sort B                    the sort byte
//     sprite B B B              one sprite
//     end                       FF: the list ends
//   items                     the item list:
//     item B B B                one item
//     end                       FF FF: the list ends
//   chests                    chest B B: flag byte (00 or 80), item byte
//   blocks                    block B B: a pushable block's word, low byte first
//   torches                   torch B B: a torch word, low byte first
//   pit B                     00, or 01 when the room is a pit room
//   message B B               the message word, low byte first
//
// In the layers, sprites and items, "raw B..." (1 to 16 bytes) keeps bytes
// that make no whole entry as they are: a list cut short by the ROM's scan,
// the 0xFF the layer reader takes behind the third layer. A list's lines
// must be the very split the writer makes of its bytes (the layers found as
// the layer reader finds them, one FF FF at a time), so an edit that makes
// them read otherwise in the game is refused, and a pack read and written
// again is the same file.
//
// Anything else is refused: one line naming the file, the line and what is
// wrong.
#pragma once

#include <string>

#include "rom/byte_list.h"
#include "packs/room_pack.h"

constexpr const char* PACK_FORMAT_NAME = "roomxfer room pack";
constexpr int PACK_FORMAT_VERSION = 1;

// Whether the file's first line names the pack format (of any version).
bool IsRoomPack(const ByteList& file);

// The pack in `file`, whose name `name` the messages give; anything that is
// not a pack of a version known here stops the run.
RoomPack ReadRoomPack(const ByteList& file, const std::string& name);
