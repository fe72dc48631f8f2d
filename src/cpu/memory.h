// The processor's access to the bus: WRAM and ROM straight from their
// storage, everything else through ReadBus and WriteBus. The storage is
// reached by masked offsets, so a run first checks that it has its sizes
// (CheckMemorySizes).
#pragma once

#include <cstdint>

#include "cpu/bus.h"

// Stops with std::logic_error when the bus's RAM is not of its sizes.
void CheckMemorySizes(const Bus& bus);

inline std::uint8_t ReadMemory(Bus& bus, std::uint32_t address) {
  const std::uint32_t bank = address >> 16;
  const std::uint32_t offset = address & 0xFFFF;
  if ((bank & 0xFE) == 0x7E) {
    return bus.openBus = bus.workRam[(bank & 1) << 16 | offset];
  }
  if ((offset & 0x8000) != 0) {
    const std::size_t romOffset = static_cast<std::size_t>(bank & 0x7F) << 15 | (offset & 0x7FFF);
    if (romOffset < bus.rom.size()) {
      return bus.openBus = bus.rom[romOffset];
    }
  } else if ((bank & 0x40) == 0 && offset < 0x2000) {
    return bus.openBus = bus.workRam[offset];
  }
  return ReadBus(bus, address);
}

inline void WriteMemory(Bus& bus, std::uint32_t address, std::uint8_t value) {
  const std::uint32_t bank = address >> 16;
  const std::uint32_t offset = address & 0xFFFF;
  if ((bank & 0xFE) == 0x7E) {
    bus.openBus = value;
    bus.workRam[(bank & 1) << 16 | offset] = value;
  } else if ((bank & 0x40) == 0 && offset < 0x2000) {
    bus.openBus = value;
    bus.workRam[offset] = value;
  } else {
    WriteBus(bus, address, value);
  }
}
