// The two background layers of a loaded room, composed as the PPU composes
// them in mode 1 with the scroll at 0: a 512 x 512 picture of the 64 x 64
// entries of each tilemap buffer.
//
//   tilemaps  BG1 from $7E:4000, BG2 from $7E:2000: 64 rows of 64 entries
//             (row by row, not split into 32 x 32 screens), each
//             vhopppcc cccccccc: vertical and horizontal flip, priority,
//             palette, character
//   characters  4 bits a pixel from VRAM word $2000: character c at word
//             $2000 + 16 c, planes 0 and 1 in its first 8 words (a row a
//             word, low byte plane 0), planes 2 and 3 in the next 8
//   colours   BGR555 words at $7E:C500, the CGRAM buffer: palette p is
//             colours 16 p to 16 p + 15, colour index 0 is transparent and
//             colour 0 the backdrop
//
// Each screen shows, pixel by pixel, the first opaque one of BG1 high, BG2
// high, BG1 low, BG2 low among its layers; the main screen the backdrop
// where none is, the sub screen nothing. Where the main screen's pixel comes
// from a layer (or the backdrop) that colour math applies to, the sub
// screen's pixel is added (or subtracted), the sum halved where asked and
// clamped to 31; where the sub screen is transparent the fixed colour black
// is used instead, and not halved.
#pragma once

#include "cpu/bus.h"
#include "picture/png.h"
#include "picture/screen_setup.h"

// `picture` becomes the 512 x 512 picture, reusing its storage.
void ComposeRoom(const Bus& bus, const ScreenSetup& setup, Picture& picture);
