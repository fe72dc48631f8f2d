#include "picture/drawing_routines.h"

#include <string>

#include "rom/failure.h"
#include "rom/format.h"
#include "rom/snes_address.h"

namespace {

std::string Place(std::uint32_t address) {
  return Format("$%02X:%04X", static_cast<unsigned>(address >> 16),
                static_cast<unsigned>(address & 0xFFFF));
}

void CheckRoutine(const RomImage& rom, const GameRoutine& routine) {
  if (!HoldsAt(rom, SnesToPc(routine.address), routine.firstBytes)) {
    StopRun(Format("%s: the ROM does not hold the game's %s at %s.\n", rom.name.c_str(),
                   routine.name, Place(routine.address).c_str()));
  }
}

[[noreturn]] void StopRoutine(const RomImage& rom, const GameRoutine& routine,
                              const RunResult& result, int room) {
  if (result.reason == StopReason::BudgetExhausted) {
    StopRun(Format("%s: %s at %s did not return within %llu instructions (room 0x%02X).\n",
                   rom.name.c_str(), routine.name, Place(routine.address).c_str(),
                   static_cast<unsigned long long>(DRAWING_BUDGET), room));
  }
  StopRun(Format("%s: %s stopped at %s (room 0x%02X).\n", rom.name.c_str(), routine.name,
                 DescribeRun(result, DRAWING_BUDGET).c_str(), room));
}

}  // namespace

void CheckDrawingCode(const RomImage& rom) {
  for (const GameRoutine& routine : DRAWING_ROUTINES) CheckRoutine(rom, routine);
  CheckRoutine(rom, SCREEN_LAYERS_ROUTINE);
}

std::uint32_t ScreenLayerTableAddress(RomImage& rom) {
  const std::int64_t operand =
      SnesToPc(SCREEN_LAYERS_ROUTINE.address) + SCREEN_LAYERS_ROUTINE.firstBytes.size();
  return ReadLongAt(rom, operand, "the table address of Underworld_ResetTorchBackgroundAndPlayer");
}

void RunDrawingRoutines(Machine& machine, const RomImage& rom, int room, DrawingCounts& counts) {
  for (const GameRoutine& routine : DRAWING_ROUTINES) {
    const RunResult result = CallRoutine(machine, routine.address, routine.call, DRAWING_BUDGET);
    counts.instructions += result.instructions;
    if (result.reason != StopReason::Returned) StopRoutine(rom, routine, result, room);
  }
}
