// zlib streams (RFC 1950), as a PNG file's image data holds them: a
// two-byte header, the deflate stream, the Adler-32 sum of the input.
#pragma once

#include <cstdint>
#include <span>

#include "rom/byte_list.h"

ByteList ZlibStream(std::span<const std::uint8_t> input);

std::uint32_t Adler32(std::span<const std::uint8_t> bytes);
