#include "picture/drawing_machine.h"

#include <algorithm>

#include "rooms/room_data.h"

namespace {

constexpr std::uint32_t MODULE = 0x10;
constexpr std::uint32_t SUBMODULE = 0x11;
constexpr std::uint32_t INDOORS = 0x1B;
constexpr std::uint32_t ROOM_NUMBER = 0xA0;
constexpr std::uint32_t PREVIOUS_ROOM = 0xA2;
constexpr std::uint32_t ROOM_NUMBER_COPY = 0x048E;
constexpr std::uint32_t FOUR_WORDS = 0x0B80;
constexpr std::uint32_t SAVE_FLAGS = 0xF000;  // $7E:F000, a word a room
constexpr std::uint8_t UNDERWORLD_MODULE = 0x07;

void PutWord(Machine& machine, std::uint32_t offset, std::uint16_t value) {
  machine.bus.workRam.at(offset) = static_cast<std::uint8_t>(value & 0xFF);
  machine.bus.workRam.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

Machine PrepareDrawingMachine(std::span<const std::uint8_t> rom) {
  Machine machine{MakeBus(rom.first(std::min(rom.size(), LOROM_MAP_LIMIT))), Registers{}, 0};
  machine.bus.workRam.at(MODULE) = UNDERWORLD_MODULE;
  machine.bus.workRam.at(SUBMODULE) = 0;
  machine.bus.workRam.at(INDOORS) = 1;
  PutWord(machine, PREVIOUS_ROOM, 0xFFFF);
  for (std::uint32_t room = 0; room < ROOM_COUNT; ++room) {
    PutWord(machine, SAVE_FLAGS + 2 * room, 0);
  }
  for (std::uint32_t word = 0; word < 4; ++word) PutWord(machine, FOUR_WORDS + 2 * word, 0xFFFF);
  Registers& cpu = machine.cpu;
  cpu.emulation = false;
  cpu.p = static_cast<std::uint8_t>(cpu.p | FLAG_M | FLAG_X);
  cpu.d = 0;
  cpu.db = 0;
  cpu.s = 0x01FF;
  return machine;
}

void StartRoom(Machine& machine, const Machine& prepared, int room) {
  machine = prepared;
  PutWord(machine, ROOM_NUMBER, static_cast<std::uint16_t>(room));
  PutWord(machine, ROOM_NUMBER_COPY, static_cast<std::uint16_t>(room));
}
