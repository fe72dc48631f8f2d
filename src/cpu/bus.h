// The SNES address space as the game's room-loading and drawing code sees
// it, on a LoROM cartridge of up to 4 MiB:
//
//   ROM     $8000-$FFFF of banks $00-$7D and $80-$FF (32 KiB of the image a
//           bank; an image smaller than the map is mirrored)
//   WRAM    128 KiB at $7E-$7F; its first 8 KiB also at $0000-$1FFF of banks
//           $00-$3F and $80-$BF
//   SRAM    $0000-$7FFF of banks $70-$7D
//   I/O     in banks $00-$3F and $80-$BF: multiply and divide ($4202-$4206,
//           results at $4214-$4217), the WRAM port ($2180-$2183), the VRAM
//           port ($2115-$2119, with its increment modes and address
//           remapping), the CGRAM port ($2121-$2122), DMA ($420B and the
//           channel registers $43x0-$43xA, every transfer mode, A to B and B
//           to A)
//
// Other I/O registers take writes and give open bus on reads. An access
// that reaches no memory and no register at all is unmapped: it is counted,
// reads give open bus, writes are dropped. The bus knows nothing of the game.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

constexpr std::size_t WORK_RAM_SIZE = 0x20000;
constexpr std::size_t VIDEO_RAM_SIZE = 0x10000;  // bytes: 32 K words
constexpr std::size_t COLOUR_RAM_SIZE = 0x200;   // 256 BGR555 colours
constexpr std::size_t SAVE_RAM_SIZE = 0x8000;
constexpr std::size_t LOROM_MAP_LIMIT = 0x400000;  // 4 MiB

struct DmaChannel {
  std::uint8_t control = 0xFF;      // $43x0
  std::uint8_t busBAddress = 0xFF;  // $43x1
  std::uint16_t address = 0xFFFF;   // $43x2-$43x3
  std::uint8_t bank = 0xFF;         // $43x4
  std::uint16_t count = 0xFFFF;     // $43x5-$43x6, 0 meaning 0x10000
  std::array<std::uint8_t, 5> other = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // $43x7-$43xB
};

struct Bus {
  std::span<const std::uint8_t> rom;  // the headerless image, at most LOROM_MAP_LIMIT bytes
  std::vector<std::uint8_t> workRam = std::vector<std::uint8_t>(WORK_RAM_SIZE);
  std::vector<std::uint8_t> saveRam = std::vector<std::uint8_t>(SAVE_RAM_SIZE);
  std::vector<std::uint8_t> videoRam = std::vector<std::uint8_t>(VIDEO_RAM_SIZE);
  std::vector<std::uint8_t> colourRam = std::vector<std::uint8_t>(COLOUR_RAM_SIZE);

  // Multiply and divide.
  std::uint8_t multiplicand = 0xFF;  // $4202
  std::uint16_t dividend = 0xFFFF;   // $4204-$4205
  std::uint16_t quotient = 0;        // $4214-$4215
  std::uint16_t product = 0;         // $4216-$4217: the product or the remainder

  // The WRAM port: a 17-bit address.
  std::uint32_t workRamPortAddress = 0;

  // The VRAM port.
  std::uint8_t videoPortControl = 0;  // $2115
  std::uint16_t videoAddress = 0;     // $2116-$2117, a word address
  std::uint16_t videoReadLatch = 0;   // what $2139-$213A give

  // The CGRAM port.
  std::uint16_t colourAddress = 0;  // a byte address, 0-$1FF
  std::uint8_t colourLatch = 0;     // the low byte, until the high byte comes

  std::array<DmaChannel, 8> dma{};

  std::uint8_t openBus = 0;    // the last byte on the data bus
  std::uint64_t dmaBytes = 0;  // moved by DMA since the bus was made
  std::uint64_t unmappedReads = 0;
  std::uint64_t unmappedWrites = 0;
};

// A bus with `rom` mapped, all RAM 0x00 and the registers as after reset.
Bus MakeBus(std::span<const std::uint8_t> rom);

std::uint8_t ReadBus(Bus& bus, std::uint32_t address);
void WriteBus(Bus& bus, std::uint32_t address, std::uint8_t value);

// Where a 24-bit LoROM address lies in the ROM image, or -1 where it is not ROM.
std::int64_t RomOffsetOf(const Bus& bus, std::uint32_t address);
