// Deflate (the compressed data format of zlib streams and PNG files): the
// input's LZ77 tokens in blocks of a few thousand, each block written with
// whichever of its own Huffman codes, the fixed codes or no compression
// makes it smallest.
#pragma once

#include <cstdint>
#include <span>

#include "rom/byte_list.h"

// The whole raw deflate stream of `input` (its last block marked final).
ByteList Deflate(std::span<const std::uint8_t> input);
