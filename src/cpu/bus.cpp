#include "cpu/bus.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "cpu/io_registers.h"
#include "cpu/memory.h"

namespace {

constexpr std::uint32_t LOW_RAM_SIZE = 0x2000;  // the WRAM mirror of the low banks
constexpr std::uint16_t IO_START = 0x2000;
constexpr std::uint16_t IO_END = 0x6000;

std::uint32_t BankOf(std::uint32_t address) { return (address >> 16) & 0xFF; }

bool IsWorkRamBank(std::uint32_t bank) { return bank == 0x7E || bank == 0x7F; }

bool IsSaveRamBank(std::uint32_t bank) { return bank >= 0x70 && bank <= 0x7D; }

// Banks $00-$3F and $80-$BF hold the low WRAM mirror and the I/O registers
// below $8000.
bool IsSystemBank(std::uint32_t bank) { return (bank & 0x40) == 0; }

// The offset in an image of `size` bytes that the map's `offset` reaches: an
// image that is not a power of two in size is a power-of-two part followed by
// smaller parts, each repeated to fill the power of two above it, as the
// cartridge's address lines repeat them.
std::size_t MirroredOffset(std::size_t offset, std::size_t size) {
  std::size_t base = 0;
  std::size_t part = LOROM_MAP_LIMIT;
  while (offset >= size) {
    while ((offset & part) == 0) {
      part >>= 1;
    }
    offset -= part;
    if (size > part) {
      size -= part;
      base += part;
    }
    part >>= 1;
  }
  return base + offset;
}

std::uint8_t Unmapped(Bus& bus) {
  ++bus.unmappedReads;
  return bus.openBus;
}

}  // namespace

Bus MakeBus(std::span<const std::uint8_t> rom) {
  Bus bus;
  bus.rom = rom.first(std::min(rom.size(), LOROM_MAP_LIMIT));
  return bus;
}

std::int64_t RomOffsetOf(const Bus& bus, std::uint32_t address) {
  const std::uint32_t bank = BankOf(address);
  if ((address & 0x8000) == 0 || IsWorkRamBank(bank) || bus.rom.empty()) {
    return -1;
  }
  const std::size_t offset = static_cast<std::size_t>(bank & 0x7F) << 15 | (address & 0x7FFF);
  return static_cast<std::int64_t>(MirroredOffset(offset, bus.rom.size()));
}

std::uint8_t ReadBus(Bus& bus, std::uint32_t address) {
  const std::uint32_t bank = BankOf(address);
  const std::uint32_t offset = address & 0xFFFF;
  if (IsWorkRamBank(bank)) {
    bus.openBus = bus.workRam.at((bank & 1) << 16 | offset);
  } else if (offset >= 0x8000) {
    const std::int64_t romOffset = RomOffsetOf(bus, address);
    if (romOffset < 0) {
      return Unmapped(bus);
    }
    bus.openBus = bus.rom[static_cast<std::size_t>(romOffset)];
  } else if (IsSystemBank(bank) && offset < LOW_RAM_SIZE) {
    bus.openBus = bus.workRam.at(offset);
  } else if (IsSystemBank(bank) && offset >= IO_START && offset < IO_END) {
    const std::optional<std::uint8_t> value = ReadRegister(bus, static_cast<std::uint16_t>(offset));
    if (!value) {
      return Unmapped(bus);
    }
    bus.openBus = *value;
  } else if (IsSaveRamBank(bank)) {
    bus.openBus = bus.saveRam.at(offset);
  } else {
    return Unmapped(bus);
  }
  return bus.openBus;
}

void WriteBus(Bus& bus, std::uint32_t address, std::uint8_t value) {
  const std::uint32_t bank = BankOf(address);
  const std::uint32_t offset = address & 0xFFFF;
  bus.openBus = value;
  if (IsWorkRamBank(bank)) {
    bus.workRam.at((bank & 1) << 16 | offset) = value;
  } else if (offset >= 0x8000) {
    // ROM takes no writes; a write where no ROM is mapped reaches nothing.
    if (RomOffsetOf(bus, address) < 0) {
      ++bus.unmappedWrites;
    }
  } else if (IsSystemBank(bank) && offset < LOW_RAM_SIZE) {
    bus.workRam.at(offset) = value;
  } else if (IsSystemBank(bank) && offset >= IO_START && offset < IO_END) {
    if (!WriteRegister(bus, static_cast<std::uint16_t>(offset), value)) {
      ++bus.unmappedWrites;
    }
  } else if (IsSaveRamBank(bank)) {
    bus.saveRam.at(offset) = value;
  } else {
    ++bus.unmappedWrites;
  }
}

MemoryView ViewMemory(Bus& bus) {
  if (bus.workRam.size() != WORK_RAM_SIZE || bus.saveRam.size() != SAVE_RAM_SIZE ||
      bus.videoRam.size() != VIDEO_RAM_SIZE || bus.colourRam.size() != COLOUR_RAM_SIZE ||
      bus.rom.size() > LOROM_MAP_LIMIT) {
    throw std::logic_error("the processor's bus does not have the console's memory sizes");
  }
  return {bus, bus.workRam.data(), bus.rom.data(), bus.rom.size()};
}
