// The instructions that move the program counter: branches, jumps, calls and
// returns.
#pragma once

#include "cpu/addressing.h"

CPU_INLINE void Branch(Core& core, bool taken) {
  const auto offset = static_cast<std::int8_t>(Fetch8(core));
  if (taken) {
    core.r.pc = static_cast<std::uint16_t>(core.r.pc + offset);
  }
}

CPU_INLINE void BranchLong(Core& core) {
  const std::uint16_t offset = Fetch16(core);
  core.r.pc = static_cast<std::uint16_t>(core.r.pc + offset);
}

CPU_INLINE void JumpLong(Core& core, std::uint32_t target) {
  core.r.pb = static_cast<std::uint8_t>(target >> 16);
  core.r.pc = static_cast<std::uint16_t>(target);
}

// JMP (a) and JML [a] take their pointer from bank 0, JMP (a,X) and
// JSR (a,X) from the program bank.
CPU_INLINE Location BankZeroPointer(std::uint16_t address) { return {address, Wrap::InBank}; }

CPU_INLINE Location ProgramBankPointer(const Core& core, std::uint16_t offset) {
  const std::uint32_t address = static_cast<std::uint16_t>(offset + core.r.x);
  return {static_cast<std::uint32_t>(core.r.pb) << 16 | address, Wrap::InBank};
}

CPU_INLINE void JumpIndirect(Core& core) {
  core.r.pc = Read<std::uint16_t>(core, BankZeroPointer(Fetch16(core)));
}

CPU_INLINE void JumpIndexedIndirect(Core& core) {
  core.r.pc = Read<std::uint16_t>(core, ProgramBankPointer(core, Fetch16(core)));
}

CPU_INLINE void JumpIndirectLong(Core& core) {
  JumpLong(core, ReadLongPointer(core, BankZeroPointer(Fetch16(core))));
}

// A call pushes the address of its own last byte.
CPU_INLINE void CallShort(Core& core) {
  const std::uint16_t target = Fetch16(core);
  Push<std::uint16_t>(core, static_cast<std::uint16_t>(core.r.pc - 1));
  core.r.pc = target;
}

CPU_INLINE void CallIndexedIndirect(Core& core) {
  const std::uint16_t offset = Fetch16(core);
  PushWide16(core, static_cast<std::uint16_t>(core.r.pc - 1));
  core.r.pc = Read<std::uint16_t>(core, ProgramBankPointer(core, offset));
  EndWideStack(core);
}

CPU_INLINE void CallLong(Core& core) {
  const std::uint32_t target = Fetch24(core);
  PushWide8(core, core.r.pb);
  PushWide16(core, static_cast<std::uint16_t>(core.r.pc - 1));
  JumpLong(core, target);
  EndWideStack(core);
}

CPU_INLINE void ReturnShort(Core& core) {
  core.r.pc = static_cast<std::uint16_t>(Pull<std::uint16_t>(core) + 1);
}

CPU_INLINE void ReturnLong(Core& core) {
  core.r.pc = static_cast<std::uint16_t>(PullWide16(core) + 1);
  core.r.pb = PullWide8(core);
  EndWideStack(core);
}

CPU_INLINE void ReturnFromInterrupt(Core& core) {
  core.r.p = Pull8(core);
  SettleFlags(core);
  core.r.pc = Pull<std::uint16_t>(core);
  if (!core.r.emulation) {
    core.r.pb = Pull8(core);
  }
}
