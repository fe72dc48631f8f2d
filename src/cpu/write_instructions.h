// The stores: STA, STX, STY and STZ.
#pragma once

#include "cpu/addressing.h"

enum class Source { A, X, Y, Zero };

template <class W, Source source, Mode mode>
CPU_INLINE void WriteInstruction(Core& core) {
  const Location at = Address<W, mode>(core);
  W value = 0;
  if constexpr (source == Source::A) {
    value = static_cast<W>(core.r.a);
  } else if constexpr (source == Source::X) {
    value = static_cast<W>(core.r.x);
  } else if constexpr (source == Source::Y) {
    value = static_cast<W>(core.r.y);
  }
  Write<W>(core, at, value);
}
