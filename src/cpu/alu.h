// Arithmetic and its flags, in 8 or 16 bits (W = std::uint8_t or
// std::uint16_t): binary and decimal addition and subtraction, comparison.
#pragma once

#include <cstdint>

#include "cpu/core.h"

template <class W>
constexpr std::uint32_t TOP_BIT = 1u << (BITS<W> - 1);

template <class W>
constexpr std::uint32_t ALL_BITS = (1u << BITS<W>)-1;

enum class Sum { Add, Subtract };

// Decimal mode works digit by digit: a digit past 9 (adding) or one that
// borrowed (subtracting, `b` complemented) is corrected by 6, and its carry
// goes to the next. The overflow flag comes from the sum before the top
// digit's correction, as the processor gives it. Returns the corrected sum,
// which may be negative or past ALL_BITS; `beforeTop` the uncorrected one.
template <class W, Sum kind>
CPU_INLINE std::int32_t DecimalSum(W a, W b, std::int32_t carry, std::int32_t& beforeTop) {
  std::int32_t below = 0;  // the corrected digits under the current one
  for (unsigned shift = 0;; shift += 4) {
    const std::int32_t digit =
        static_cast<std::int32_t>((a >> shift) & 0xF) + ((b >> shift) & 0xF) + carry;
    const bool corrects = kind == Sum::Add ? digit > 9 : digit <= 0xF;
    const std::int32_t correction = corrects ? (kind == Sum::Add ? 6 : -6) : 0;
    if (shift + 4 == BITS<W>) {
      beforeTop = below | digit << shift;
      return beforeTop + correction * (1 << shift);
    }
    const std::int32_t corrected = digit + correction;
    carry = corrected > 0xF ? 1 : 0;
    below |= (corrected & 0xF) << shift;
  }
}

// ADC, and SBC as the addition of the complement.
template <class W, Sum kind>
CPU_INLINE W AddWithCarry(Core& core, W a, W operand) {
  const W b = kind == Sum::Add ? operand : static_cast<W>(~operand);
  const std::int32_t carry = IsSet(core, FLAG_C) ? 1 : 0;
  std::int32_t result = 0;
  std::int32_t beforeTop = 0;
  if (IsSet(core, FLAG_D)) {
    result = DecimalSum<W, kind>(a, b, carry, beforeTop);
  } else {
    result = static_cast<std::int32_t>(a) + b + carry;
    beforeTop = result;
  }
  const std::uint32_t overflow = ~(a ^ b) & (a ^ static_cast<std::uint32_t>(beforeTop));
  SetFlag(core, FLAG_V, (overflow & TOP_BIT<W>) != 0);
  SetFlag(core, FLAG_C, result > static_cast<std::int32_t>(ALL_BITS<W>));
  const auto value = static_cast<W>(result);
  SetNegativeZero<W>(core, value);
  return value;
}

template <class W>
CPU_INLINE void Compare(Core& core, W reg, W operand) {
  SetFlag(core, FLAG_C, reg >= operand);
  SetNegativeZero<W>(core, static_cast<W>(reg - operand));
}
