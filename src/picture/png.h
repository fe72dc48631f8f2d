// PNG files of pictures: 8-bit RGB, no interlace, compressed by the
// product's own deflate (LZ77 matches and Huffman codes, no library).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "rom/byte_list.h"

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t>
      rgb;  // width x height pixels, 3 bytes each (red, green, blue), rows top down
};

// The whole PNG file of `picture`.
ByteList EncodePng(const Picture& picture);
