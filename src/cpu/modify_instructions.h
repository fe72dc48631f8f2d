// The read-modify-write instructions, on memory and on the registers:
// shifts and rotations, increments and decrements, TSB and TRB.
#pragma once

#include "cpu/addressing.h"
#include "cpu/alu.h"

enum class Modifying { Asl, Lsr, Rol, Ror, Inc, Dec, Tsb, Trb };

template <class W, Modifying op>
CPU_INLINE W Modified(Core& core, W value) {
  const std::uint32_t carryIn = IsSet(core, FLAG_C) ? 1 : 0;
  W result = value;
  if constexpr (op == Modifying::Asl || op == Modifying::Rol) {
    SetFlag(core, FLAG_C, (value & TOP_BIT<W>) != 0);
    result = static_cast<W>(value << 1 | (op == Modifying::Rol ? carryIn : 0));
  } else if constexpr (op == Modifying::Lsr || op == Modifying::Ror) {
    SetFlag(core, FLAG_C, (value & 1) != 0);
    const std::uint32_t top = op == Modifying::Ror ? carryIn << (BITS<W> - 1) : 0;
    result = static_cast<W>(value >> 1 | top);
  } else if constexpr (op == Modifying::Inc) {
    result = static_cast<W>(value + 1);
  } else if constexpr (op == Modifying::Dec) {
    result = static_cast<W>(value - 1);
  } else {
    const auto a = static_cast<W>(core.r.a);
    SetFlag(core, FLAG_Z, (a & value) == 0);
    return static_cast<W>(op == Modifying::Tsb ? value | a : value & ~a);
  }
  SetNegativeZero<W>(core, result);
  return result;
}

template <class W, Modifying op, Mode mode>
CPU_INLINE void ModifyInstruction(Core& core) {
  const Location at = Address<W, mode>(core);
  const W value = Read<W>(core, at);
  Write<W, ByteOrder::HighFirst>(core, at, Modified<W, op>(core, value));
}

// The accumulator forms and INX, INY, DEX, DEY.
template <class W, Modifying op>
CPU_INLINE void ModifyRegister(Core& core, std::uint16_t& reg) {
  Assign<W>(reg, Modified<W, op>(core, static_cast<W>(reg)));
}
