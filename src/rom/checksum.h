// The internal header's ROM size byte and checksum, which emulators and flash
// carts check. In a headerless LoROM image the internal header ends the first
// bank:
//
//   0x7FD7  1 byte   ROM size: the smallest N with 2^N KiB at least the image size
//   0x7FDC  2 bytes  complement of the checksum (checksum XOR 0xFFFF)
//   0x7FDE  2 bytes  checksum: the sum of all bytes modulo 0x10000
//
// The sum is taken over the image as the console sees it: an image whose size
// is not a power of two is mirrored. Its largest power-of-two part counts
// once; the rest, itself mirrored the same way, is repeated until it fills a
// part of the same size (a 3 MiB image sums as its first 2 MiB plus twice
// its last 1 MiB). The sum is taken with the complement set to 0xFFFF and the
// checksum to 0x0000, so that any consistent pair adds the same 0x1FE.
#pragma once

#include <cstdint>

#include "rom/rom_image.h"

constexpr std::int64_t ROM_SIZE_FIELD = 0x7FD7;
constexpr std::int64_t CHECKSUM_COMPLEMENT_FIELD = 0x7FDC;
constexpr std::int64_t CHECKSUM_FIELD = 0x7FDE;

// The ROM size byte for an image of `size` bytes.
std::uint8_t RomSizeExponent(std::int64_t size);

// The mirrored sum of all bytes, modulo 0x10000, as the bytes stand.
std::uint16_t MirroredByteSum(const ByteList& bytes);

// Sets the ROM size byte, then the checksum and its complement.
void FixChecksum(RomImage& image);
