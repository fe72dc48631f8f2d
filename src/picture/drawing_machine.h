// The machine the drawing routines start from: work RAM as the game has it
// when it loads an underworld room, in native mode with 8-bit accumulator and
// index registers, D = 0, DB = 0, S = $01FF.
//
//   $10 = $07 (the underworld module), $11 = 0, $1B = 1 (indoors)
//   $A0 and $048E: the room number (words)
//   $A2 = $FFFF: no previous room
//   $7E:F000 + 2 x room: the room's save flags, 0 for every room
//   $0B80-$0B87: four words of $FFFF
#pragma once

#include <cstdint>
#include <span>

#include "cpu/cpu.h"

// The machine on the headerless image `rom` (at most its first 4 MiB), all
// of it prepared but the room number.
Machine PrepareDrawingMachine(std::span<const std::uint8_t> rom);

// `machine` made exactly `prepared`, with `room`'s number in place. Copying
// into a machine that has held one before reuses its memory.
void StartRoom(Machine& machine, const Machine& prepared, int room);
