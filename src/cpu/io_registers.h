// The I/O registers of banks $00-$3F and $80-$BF ($2000-$5FFF), as the bus
// reaches them: the PPU's VRAM and CGRAM ports, the WRAM port, multiply and
// divide, and the DMA registers.
#pragma once

#include <cstdint>
#include <optional>

#include "cpu/bus.h"

// The byte a read of register `offset` gives: what the register holds, the
// open bus for a register that cannot be read, or nothing where no register
// lies at all.
std::optional<std::uint8_t> ReadRegister(Bus& bus, std::uint16_t offset);

// Whether a register lies at `offset`; a write to one the bus does not model
// is taken and has no effect.
bool WriteRegister(Bus& bus, std::uint16_t offset, std::uint8_t value);
