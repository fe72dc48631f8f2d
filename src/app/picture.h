// --picture PNG SOURCE [DESTINATION] [ROOMS]: rooms as the ROM's own code
// draws them, into one PNG file and no other. Of one ROM: the one room named
// at full size, or the rooms named (all 320 without a list) in the game's
// grid. With a DESTINATION: the transfer in memory, and the moved rooms drawn
// at their destination numbers by the new ROM's code. The PNG is written as
// the new ROM is (under a temporary name, renamed when complete, never onto
// an input) and never replaces a file that is not a PNG.
#pragma once

#include "app/options.h"
#include "picture/png.h"
#include "picture/room_picture.h"

void RunPicture(const CommandLine& line);

// What RunPicture draws for `line`, with the same checks of its inputs, but
// no file: for the page, which shows the pixels themselves.
Picture DrawCommandLinePicture(const CommandLine& line, DrawingCounts& counts);
