// The addressing modes: where an instruction's operand lies, from the bytes
// that follow its opcode and the registers.
#pragma once

#include "cpu/core.h"

enum class Mode {
  Immediate,        // #
  Direct,           // dp
  DirectX,          // dp,X
  DirectY,          // dp,Y
  Absolute,         // abs
  AbsoluteX,        // abs,X
  AbsoluteY,        // abs,Y
  Long,             // long
  LongX,            // long,X
  Indirect,         // (dp)
  IndexedIndirect,  // (dp,X)
  IndirectIndexed,  // (dp),Y
  IndirectLong,     // [dp]
  IndirectLongY,    // [dp],Y
  Stack,            // sr,S
  StackIndirectY,   // (sr,S),Y
};

// The direct page: bank 0, wrapping at $FFFF; in emulation mode with DL = 0,
// the page itself, as on the 6502.
CPU_INLINE Location DirectAt(const Core& core, std::uint32_t offset) {
  if (core.r.emulation && (core.r.d & 0xFF) == 0) {
    return {core.r.d | (offset & 0xFF), Wrap::InPage};
  }
  return {(core.r.d + offset) & 0xFFFF, Wrap::InBank};
}

// Data in the data bank, indexing carrying into the next bank.
CPU_INLINE Location DataAt(const Core& core, std::uint32_t offset) {
  return {((static_cast<std::uint32_t>(core.r.db) << 16) + offset) & 0xFFFFFF, Wrap::Linear};
}

CPU_INLINE Location StackAt(const Core& core, std::uint32_t offset) {
  return {(core.r.s + offset) & 0xFFFF, Wrap::InBank};
}

// (dp,X): in emulation mode with DL other than 0, the pointer's high byte
// still comes from the page of its low byte.
CPU_INLINE Location IndexedPointerAt(const Core& core, std::uint32_t offset) {
  if (core.r.emulation && (core.r.d & 0xFF) != 0) {
    return {(core.r.d + offset) & 0xFFFF, Wrap::InPage};
  }
  return DirectAt(core, offset);
}

template <class W, Mode mode>
CPU_INLINE Location Address(Core& core) {
  if constexpr (mode == Mode::Immediate) {
    const Location at{ProgramAddress(core), Wrap::InBank};
    core.r.pc = static_cast<std::uint16_t>(core.r.pc + sizeof(W));
    return at;
  } else if constexpr (mode == Mode::Direct) {
    return DirectAt(core, Fetch8(core));
  } else if constexpr (mode == Mode::DirectX) {
    return DirectAt(core, Fetch8(core) + static_cast<std::uint32_t>(core.r.x));
  } else if constexpr (mode == Mode::DirectY) {
    return DirectAt(core, Fetch8(core) + static_cast<std::uint32_t>(core.r.y));
  } else if constexpr (mode == Mode::Absolute) {
    return DataAt(core, Fetch16(core));
  } else if constexpr (mode == Mode::AbsoluteX) {
    return DataAt(core, Fetch16(core) + static_cast<std::uint32_t>(core.r.x));
  } else if constexpr (mode == Mode::AbsoluteY) {
    return DataAt(core, Fetch16(core) + static_cast<std::uint32_t>(core.r.y));
  } else if constexpr (mode == Mode::Long) {
    return {Fetch24(core), Wrap::Linear};
  } else if constexpr (mode == Mode::LongX) {
    return {(Fetch24(core) + core.r.x) & 0xFFFFFF, Wrap::Linear};
  } else if constexpr (mode == Mode::Indirect) {
    return DataAt(core, Read<std::uint16_t>(core, DirectAt(core, Fetch8(core))));
  } else if constexpr (mode == Mode::IndexedIndirect) {
    const std::uint32_t offset = Fetch8(core) + static_cast<std::uint32_t>(core.r.x);
    return DataAt(core, Read<std::uint16_t>(core, IndexedPointerAt(core, offset)));
  } else if constexpr (mode == Mode::IndirectIndexed) {
    const std::uint32_t pointer = Read<std::uint16_t>(core, DirectAt(core, Fetch8(core)));
    return DataAt(core, pointer + core.r.y);
  } else if constexpr (mode == Mode::IndirectLong || mode == Mode::IndirectLongY) {
    // The long pointer is read over the whole direct page, in any mode.
    const Location pointerAt{(core.r.d + Fetch8(core)) & 0xFFFFu, Wrap::InBank};
    const std::uint32_t pointer = ReadLongPointer(core, pointerAt);
    const std::uint32_t index = mode == Mode::IndirectLongY ? core.r.y : 0;
    return {(pointer + index) & 0xFFFFFF, Wrap::Linear};
  } else if constexpr (mode == Mode::Stack) {
    return StackAt(core, Fetch8(core));
  } else {
    static_assert(mode == Mode::StackIndirectY);
    const std::uint32_t pointer = Read<std::uint16_t>(core, StackAt(core, Fetch8(core)));
    return DataAt(core, pointer + core.r.y);
  }
}
