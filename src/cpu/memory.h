// The processor's access to the bus: WRAM and ROM straight from their
// storage, everything else through ReadBus and WriteBus. A run holds the
// storage's addresses in a MemoryView of its own, where no store to memory
// can change them, and reaches them by masked offsets: the view is made only
// for a bus whose RAM has its sizes.
#pragma once

#include <cstdint>

#include "cpu/bus.h"

struct MemoryView {
  Bus& bus;
  std::uint8_t* workRam;
  const std::uint8_t* rom;
  std::size_t romSize;
};

// Stops with std::logic_error when the bus's RAM is not of its sizes.
MemoryView ViewMemory(Bus& bus);

// The 32 KiB of ROM at $8000-$FFFF of `bank`, or null where the image does
// not fill them (or the bank is WRAM's).
const std::uint8_t* RomHalfOfBank(const MemoryView& memory, std::uint8_t bank);

// The fast paths first; out of line, so that the interpreter's many
// accesses stay small.
std::uint8_t ReadMemory(MemoryView& memory, std::uint32_t address);
void WriteMemory(MemoryView& memory, std::uint32_t address, std::uint8_t value);
