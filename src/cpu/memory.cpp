#include "cpu/memory.h"

std::uint8_t ReadMemory(MemoryView& memory, std::uint32_t address) {
  const std::uint32_t bank = address >> 16;
  const std::uint32_t offset = address & 0xFFFF;
  if ((bank & 0xFE) == 0x7E) {
    return memory.bus.openBus = memory.workRam[(bank & 1) << 16 | offset];
  }
  if ((offset & 0x8000) != 0) {
    const std::size_t romOffset = static_cast<std::size_t>(bank & 0x7F) << 15 | (offset & 0x7FFF);
    if (romOffset < memory.romSize) {
      return memory.bus.openBus = memory.rom[romOffset];
    }
  } else if ((bank & 0x40) == 0 && offset < 0x2000) {
    return memory.bus.openBus = memory.workRam[offset];
  }
  return ReadBus(memory.bus, address);
}

void WriteMemory(MemoryView& memory, std::uint32_t address, std::uint8_t value) {
  const std::uint32_t bank = address >> 16;
  const std::uint32_t offset = address & 0xFFFF;
  if ((bank & 0xFE) == 0x7E) {
    memory.bus.openBus = value;
    memory.workRam[(bank & 1) << 16 | offset] = value;
  } else if ((bank & 0x40) == 0 && offset < 0x2000) {
    memory.bus.openBus = value;
    memory.workRam[offset] = value;
  } else {
    WriteBus(memory.bus, address, value);
  }
}

const std::uint8_t* RomHalfOfBank(const MemoryView& memory, std::uint8_t bank) {
  const std::size_t start = static_cast<std::size_t>(bank & 0x7F) << 15;
  if ((bank & 0xFE) == 0x7E || start + 0x8000 > memory.romSize) {
    return nullptr;
  }
  return memory.rom + start;
}
