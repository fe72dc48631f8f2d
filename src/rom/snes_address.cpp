#include "rom/snes_address.h"

std::uint32_t SnesToPc(std::uint32_t address) {
  return ((((address >> 15) - 1) >> 1) << 15) + (address & 0xFFFF) - 0x8000;
}

std::uint32_t PcToSnes(std::uint32_t offset) {
  return ((offset >> 15) << 16) + (offset & 0xFFFF) + 0x8000 - (offset & 0x8000);
}

std::uint32_t TableOffsetAt(RomImage& rom, std::int64_t field, const char* what) {
  return SnesToPc(ReadLongAt(rom, field, what));
}
