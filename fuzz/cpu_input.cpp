#include "cpu_input.h"

#include <span>
#include <vector>

#include "cpu/cpu.h"

namespace fuzzing {

namespace {

constexpr std::size_t SETTINGS = 8;
constexpr std::uint64_t BUDGET = 20000;

std::uint16_t WordAt(const std::uint8_t* data, std::size_t offset) {
  return static_cast<std::uint16_t>(data[offset] | data[offset + 1] << 8);
}

std::string CheckRegisters(const Registers& r) {
  if (r.emulation && ((r.p & (FLAG_M | FLAG_X)) != (FLAG_M | FLAG_X) || (r.s >> 8) != 0x01)) {
    return "emulation mode with 16-bit registers or the stack outside page 1";
  }
  if ((r.p & FLAG_X) != 0 && (r.x > 0xFF || r.y > 0xFF)) {
    return "8-bit index registers with a high byte";
  }
  return "";
}

}  // namespace

std::string CheckCpuRun(const std::uint8_t* data, std::size_t size) {
  if (size < SETTINGS) {
    return "";
  }
  const std::span<const std::uint8_t> rom(data + SETTINGS, size - SETTINGS);
  Machine machine{MakeBus(rom), {}, 0};
  Registers& r = machine.cpu;
  r.p = data[0];
  r.emulation = (data[1] & 1) != 0;
  r.s = WordAt(data, 2);
  r.d = WordAt(data, 4);
  r.db = data[6];
  r.a = static_cast<std::uint16_t>(data[7] * 0x0101);
  if (r.emulation) {
    r.p |= FLAG_M | FLAG_X;
    r.s = static_cast<std::uint16_t>(0x0100 | (r.s & 0xFF));
  }
  const CallKind kind = (data[1] & 2) != 0 ? CallKind::Long : CallKind::Short;
  const RunResult result = CallRoutine(machine, 0x008000, kind, BUDGET);
  if (result.instructions > BUDGET || machine.instructions != result.instructions) {
    return "more instructions than the budget, or miscounted";
  }
  if (result.reason != StopReason::BudgetExhausted && result.instructions == BUDGET &&
      result.reason != StopReason::Returned) {
    return "a stop after the budget was spent";
  }
  if (machine.bus.workRam.size() != WORK_RAM_SIZE ||
      machine.bus.videoRam.size() != VIDEO_RAM_SIZE ||
      machine.bus.colourRam.size() != COLOUR_RAM_SIZE ||
      machine.bus.saveRam.size() != SAVE_RAM_SIZE) {
    return "the bus's memory changed size";
  }
  return CheckRegisters(r);
}

}  // namespace fuzzing
