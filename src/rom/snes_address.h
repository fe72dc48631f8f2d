// LoROM addressing. The game addresses its data with 24-bit SNES addresses
// (bank in bits 16-23); each bank maps 0x8000 bytes of the file at addresses
// 0x8000-0xFFFF. File offsets are positions in a headerless image.
#pragma once

#include <cstdint>

#include "rom/rom_image.h"

constexpr std::uint32_t BANK_SIZE = 0x8000;
// Below this address a bank holds no ROM (RAM, registers or open bus).
constexpr std::uint16_t LOWEST_ROM_ADDRESS = 0x8000;

// Bank 0x80 and above is not folded onto 0x00-0x7F; addresses whose bit 15 is
// clear give offsets that wrap (banks 0 and 1) or land in the bank before.
std::uint32_t SnesToPc(std::uint32_t address);

// Bank = offset / 0x8000 (no 0x80 bit), address = 0x8000 + offset % 0x8000.
std::uint32_t PcToSnes(std::uint32_t offset);

// The file offset of the table whose 3-byte SNES address stands at `field`;
// `what` names the address in messages.
std::uint32_t TableOffsetAt(RomImage& rom, std::int64_t field, const char* what);
