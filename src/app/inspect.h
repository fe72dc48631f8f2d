// A look at one ROM without writing anything: every room's data as the
// tool's readers find them, and a summary of the ROM's tables.
//
// Per room: its number in hex and decimal; for the header, layer, sprite and
// item pointers whether another room's pointer is the same ("=0x012": the
// lowest other room that shares it, "-": none); the sizes in bytes of its
// layer data, sprite list and item list as read; its counts of chests,
// pushable blocks and torch words; its pit flag and message word.
//
// Summary: the header table's form (320 entries, or 296 with the headers
// right behind it), the sprite table's form (the game's own lookup, or a call
// to a sprite pointer loader as this tool writes it), the totals, each limited
// total against its limit as the writers would meet it, and whether the ROM
// carries this tool's relocated area: its marker text at the area's start
// (0x1F8000 unless the layout gives another), and the
// last byte of the furthest data that a table of the ROM points at from there
// on (the message note behind the pit room list is pointed at by nothing).
#pragma once

#include <string>

#include "app/inspection.h"
#include "app/job/output_layout.h"
#include "rom/rom_image.h"
#include "rooms/transfer.h"

// Reads `rom` (headerless) with the tool's readers, printing nothing; a ROM
// the readers refuse stops the run as a transfer would. `rooms` selects the
// rooms of the per-room part (nullptr: all 320); the summary covers them all.
// `layout` says where the relocated area is looked for.
std::string InspectRom(RomImage& rom, const RoomList* rooms, const OutputLayout& layout);

// The same look, with the rooms listed as data beside the text.
Inspection InspectRomRooms(RomImage& rom, const RoomList* rooms, const OutputLayout& layout);
