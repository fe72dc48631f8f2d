// The instructions that read an operand: loads, arithmetic and logic,
// comparisons and BIT.
#pragma once

#include "cpu/addressing.h"
#include "cpu/alu.h"

enum class Reading { Lda, Ldx, Ldy, Adc, Sbc, And, Ora, Eor, Cmp, Cpx, Cpy, Bit, BitImmediate };

template <class W, Reading op>
CPU_INLINE void ApplyRead(Core& core, W value) {
  const auto a = static_cast<W>(core.r.a);
  if constexpr (op == Reading::Lda || op == Reading::And || op == Reading::Ora ||
                op == Reading::Eor) {
    W result = value;
    if constexpr (op == Reading::And) {
      result = static_cast<W>(a & value);
    } else if constexpr (op == Reading::Ora) {
      result = static_cast<W>(a | value);
    } else if constexpr (op == Reading::Eor) {
      result = static_cast<W>(a ^ value);
    }
    Assign<W>(core.r.a, result);
    SetNegativeZero<W>(core, result);
  } else if constexpr (op == Reading::Ldx) {
    Assign<W>(core.r.x, value);
    SetNegativeZero<W>(core, value);
  } else if constexpr (op == Reading::Ldy) {
    Assign<W>(core.r.y, value);
    SetNegativeZero<W>(core, value);
  } else if constexpr (op == Reading::Adc) {
    Assign<W>(core.r.a, AddWithCarry<W, Sum::Add>(core, a, value));
  } else if constexpr (op == Reading::Sbc) {
    Assign<W>(core.r.a, AddWithCarry<W, Sum::Subtract>(core, a, value));
  } else if constexpr (op == Reading::Cmp) {
    Compare<W>(core, a, value);
  } else if constexpr (op == Reading::Cpx) {
    Compare<W>(core, static_cast<W>(core.r.x), value);
  } else if constexpr (op == Reading::Cpy) {
    Compare<W>(core, static_cast<W>(core.r.y), value);
  } else {
    SetFlag(core, FLAG_Z, (a & value) == 0);
    if constexpr (op == Reading::Bit) {
      SetFlag(core, FLAG_N, (value & TOP_BIT<W>) != 0);
      SetFlag(core, FLAG_V, (value & (TOP_BIT<W> >> 1)) != 0);
    }
  }
}

template <class W, Reading op, Mode mode>
CPU_INLINE void ReadInstruction(Core& core) {
  ApplyRead<W, op>(core, Read<W>(core, Address<W, mode>(core)));
}
