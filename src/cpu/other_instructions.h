// The rest: the status register (flags, REP, SEP, XCE), transfers between
// registers, pushes and pulls, the block moves, XBA and the no-operations.
#pragma once

#include "cpu/addressing.h"

CPU_INLINE void ResetStatus(Core& core) {
  core.r.p = static_cast<std::uint8_t>(core.r.p & ~Fetch8(core));
  SettleFlags(core);
}

CPU_INLINE void SetStatus(Core& core) {
  core.r.p |= Fetch8(core);
  SettleFlags(core);
}

// XCE swaps the carry and the emulation bit; emulation mode sets m and x and
// puts the stack in page 1.
CPU_INLINE void ExchangeCarryEmulation(Core& core) {
  const bool carry = IsSet(core, FLAG_C);
  SetFlag(core, FLAG_C, core.r.emulation);
  core.r.emulation = carry;
  if (carry) {
    SettleFlags(core);
    core.r.s = static_cast<std::uint16_t>(0x0100 | (core.r.s & 0xFF));
  }
}

template <class W>
CPU_INLINE void Transfer(Core& core, std::uint16_t from, std::uint16_t& to) {
  Assign<W>(to, static_cast<W>(from));
  SetNegativeZero<W>(core, static_cast<W>(from));
}

// TCS and TXS: in emulation mode only the low byte reaches S.
CPU_INLINE void SetStackPointer(Core& core, std::uint16_t value) {
  core.r.s = core.r.emulation ? static_cast<std::uint16_t>(0x0100 | (value & 0xFF)) : value;
}

CPU_INLINE void ExchangeAccumulatorBytes(Core& core) {
  core.r.a = static_cast<std::uint16_t>(core.r.a >> 8 | core.r.a << 8);
  SetNegativeZero<std::uint8_t>(core, static_cast<std::uint8_t>(core.r.a));
}

template <class W>
CPU_INLINE void PullRegister(Core& core, std::uint16_t& reg) {
  const W value = Pull<W>(core);
  Assign<W>(reg, value);
  SetNegativeZero<W>(core, value);
}

CPU_INLINE void PullStatus(Core& core) {
  core.r.p = Pull8(core);
  SettleFlags(core);
}

CPU_INLINE void PullDataBank(Core& core) {
  core.r.db = PullWide8(core);
  SetNegativeZero<std::uint8_t>(core, core.r.db);
  EndWideStack(core);
}

CPU_INLINE void PullDirectPage(Core& core) {
  core.r.d = PullWide16(core);
  SetNegativeZero<std::uint16_t>(core, core.r.d);
  EndWideStack(core);
}

CPU_INLINE void PushWideValue(Core& core, std::uint16_t value) {
  PushWide16(core, value);
  EndWideStack(core);
}

// PEI pushes the word at a direct-page address.
CPU_INLINE void PushIndirect(Core& core) {
  PushWideValue(core, Read<std::uint16_t>(core, DirectAt(core, Fetch8(core))));
}

CPU_INLINE void PushRelative(Core& core) {
  const std::uint16_t offset = Fetch16(core);
  PushWideValue(core, static_cast<std::uint16_t>(core.r.pc + offset));
}

enum class MoveDirection { Up, Down };  // MVN, MVP

// One byte of a block move from bank:X to bank:Y; the instruction runs again
// until A, the count less one, has gone past 0.
template <class W, MoveDirection direction>
CPU_INLINE void MoveBlockByte(Core& core) {
  const std::uint8_t destinationBank = Fetch8(core);
  const std::uint8_t sourceBank = Fetch8(core);
  core.r.db = destinationBank;
  const std::uint8_t value =
      ReadMemory(core.memory, static_cast<std::uint32_t>(sourceBank) << 16 | core.r.x);
  WriteMemory(core.memory, static_cast<std::uint32_t>(destinationBank) << 16 | core.r.y, value);
  const int step = direction == MoveDirection::Up ? 1 : -1;
  Assign<W>(core.r.x, static_cast<W>(core.r.x + step));
  Assign<W>(core.r.y, static_cast<W>(core.r.y + step));
  --core.r.a;
  if (core.r.a != 0xFFFF) {
    core.r.pc = static_cast<std::uint16_t>(core.r.pc - 3);
  }
}
