// Huffman codes as deflate stores them: each symbol's code length, limited
// to a largest length, and the canonical codes those lengths give.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Code lengths (0 for an unused symbol) for symbols of the given counts that
// make the coded size least, none longer than `maxBits`. At least two
// symbols get a length, so that the code is complete even where one symbol
// or none is used (the alphabet has at least two).
std::vector<std::uint8_t> CodeLengths(std::span<const std::uint32_t> counts, int maxBits);

// The canonical code of each symbol of `lengths` (each at most 15 bits),
// bit-reversed, as deflate writes it from its first bit.
std::vector<std::uint16_t> CanonicalCodes(std::span<const std::uint8_t> lengths);
