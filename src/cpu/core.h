// The processor while it runs: its registers and the bus, the byte and word
// accesses with the wrap rules of each kind of address, the program counter's
// fetches and the stack. Everything here is inline: the run loop in cpu.cpp
// is compiled as one function, with the registers in machine registers.
#pragma once

#include <cstdint>

#include "cpu/cpu.h"
#include "cpu/memory.h"

// When optimizing, the helpers are compiled into the run loop, where the
// registers stay in machine registers. A build without optimization, or with
// the sanitizers (whose checks on one such loop take minutes to compile),
// leaves the choice to the compiler.
#if defined(__SANITIZE_ADDRESS__)
#define CPU_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CPU_SANITIZED 1
#endif
#endif
#if defined(__OPTIMIZE__) && !defined(CPU_SANITIZED)
#define CPU_INLINE [[gnu::always_inline]] inline
#else
#define CPU_INLINE inline
#endif

// Where the byte after an address lies.
enum class Wrap : std::uint8_t {
  Linear,  // the next 24-bit address: data crosses into the next bank
  InBank,  // within the bank: direct page, stack, program and bank-0 pointers
  InPage,  // within the 256-byte page: the direct page in emulation mode with DL = 0
};

struct Location {
  std::uint32_t address = 0;
  Wrap wrap = Wrap::Linear;
};

struct Core {
  MemoryView& memory;
  Registers r;  // the machine's, copied in for the run and back after it
  // The ROM at $8000-$FFFF of bank `codeBank`, for the program's fetches;
  // null where that is not all ROM.
  const std::uint8_t* code = nullptr;
  int codeBank = -1;
};

template <class W>
constexpr unsigned BITS = 8 * sizeof(W);

CPU_INLINE bool IsSet(const Core& core, std::uint8_t flag) { return (core.r.p & flag) != 0; }

CPU_INLINE void SetFlag(Core& core, std::uint8_t flag, bool on) {
  core.r.p = static_cast<std::uint8_t>(on ? core.r.p | flag : core.r.p & ~flag);
}

template <class W>
CPU_INLINE void SetNegativeZero(Core& core, W value) {
  const auto negative = static_cast<std::uint8_t>((value >> (BITS<W> - 8)) & FLAG_N);
  core.r.p = static_cast<std::uint8_t>((core.r.p & ~(FLAG_N | FLAG_Z)) | negative |
                                       (value == 0 ? FLAG_Z : 0));
}

// Writes the low byte of a register in 8-bit width, keeping its high byte.
template <class W>
CPU_INLINE void Assign(std::uint16_t& reg, W value) {
  if constexpr (sizeof(W) == 1) {
    reg = static_cast<std::uint16_t>((reg & 0xFF00) | value);
  } else {
    reg = value;
  }
}

// After P changes: emulation mode holds m and x at 1, and 8-bit index
// registers have no high byte.
CPU_INLINE void SettleFlags(Core& core) {
  if (core.r.emulation) {
    core.r.p |= FLAG_M | FLAG_X;
  }
  if (IsSet(core, FLAG_X)) {
    core.r.x &= 0xFF;
    core.r.y &= 0xFF;
  }
}

CPU_INLINE std::uint32_t Following(Location at) {
  switch (at.wrap) {
    case Wrap::Linear:
      return (at.address + 1) & 0xFFFFFF;
    case Wrap::InBank:
      return (at.address & 0xFF0000) | ((at.address + 1) & 0xFFFF);
    case Wrap::InPage:
      break;
  }
  return (at.address & 0xFFFF00) | ((at.address + 1) & 0xFF);
}

template <class W>
CPU_INLINE W Read(Core& core, Location at) {
  const std::uint8_t low = ReadMemory(core.memory, at.address);
  if constexpr (sizeof(W) == 1) {
    return low;
  } else {
    return static_cast<std::uint16_t>(low | ReadMemory(core.memory, Following(at)) << 8);
  }
}

CPU_INLINE std::uint32_t ReadLongPointer(Core& core, Location at) {
  const std::uint32_t word = Read<std::uint16_t>(core, at);
  const std::uint32_t bankAt = Following({Following(at), at.wrap});
  return word | static_cast<std::uint32_t>(ReadMemory(core.memory, bankAt)) << 16;
}

// Stores write the low byte first; read-modify-write instructions the high.
enum class ByteOrder { LowFirst, HighFirst };

template <class W, ByteOrder order = ByteOrder::LowFirst>
CPU_INLINE void Write(Core& core, Location at, W value) {
  if constexpr (sizeof(W) == 1) {
    WriteMemory(core.memory, at.address, value);
  } else if constexpr (order == ByteOrder::LowFirst) {
    WriteMemory(core.memory, at.address, static_cast<std::uint8_t>(value));
    WriteMemory(core.memory, Following(at), static_cast<std::uint8_t>(value >> 8));
  } else {
    WriteMemory(core.memory, Following(at), static_cast<std::uint8_t>(value >> 8));
    WriteMemory(core.memory, at.address, static_cast<std::uint8_t>(value));
  }
}

CPU_INLINE std::uint32_t ProgramAddress(const Core& core) {
  return static_cast<std::uint32_t>(core.r.pb) << 16 | core.r.pc;
}

CPU_INLINE const std::uint8_t* ProgramRom(Core& core) {
  if (core.r.pb != core.codeBank) {
    core.codeBank = core.r.pb;
    core.code = RomHalfOfBank(core.memory, core.r.pb);
  }
  return core.code;
}

// The program counter wraps within its bank.
CPU_INLINE std::uint8_t Fetch8(Core& core) {
  const std::uint8_t* code = ProgramRom(core);
  std::uint8_t value = 0;
  if (code != nullptr && (core.r.pc & 0x8000) != 0) {
    value = code[core.r.pc & 0x7FFF];
    core.memory.bus.openBus = value;
  } else {
    value = ReadMemory(core.memory, ProgramAddress(core));
  }
  ++core.r.pc;
  return value;
}

CPU_INLINE std::uint16_t Fetch16(Core& core) {
  const std::uint8_t low = Fetch8(core);
  return static_cast<std::uint16_t>(low | Fetch8(core) << 8);
}

CPU_INLINE std::uint32_t Fetch24(Core& core) {
  const std::uint32_t word = Fetch16(core);
  return word | static_cast<std::uint32_t>(Fetch8(core)) << 16;
}

// The stack is in bank 0; in emulation mode it stays in page 1.
CPU_INLINE void Push8(Core& core, std::uint8_t value) {
  WriteMemory(core.memory, core.r.s, value);
  core.r.s = core.r.emulation ? static_cast<std::uint16_t>(0x0100 | ((core.r.s - 1) & 0xFF))
                              : static_cast<std::uint16_t>(core.r.s - 1);
}

CPU_INLINE std::uint8_t Pull8(Core& core) {
  core.r.s = core.r.emulation ? static_cast<std::uint16_t>(0x0100 | ((core.r.s + 1) & 0xFF))
                              : static_cast<std::uint16_t>(core.r.s + 1);
  return ReadMemory(core.memory, core.r.s);
}

template <class W>
CPU_INLINE void Push(Core& core, W value) {
  if constexpr (sizeof(W) == 2) {
    Push8(core, static_cast<std::uint8_t>(value >> 8));
  }
  Push8(core, static_cast<std::uint8_t>(value));
}

template <class W>
CPU_INLINE W Pull(Core& core) {
  const std::uint8_t low = Pull8(core);
  if constexpr (sizeof(W) == 1) {
    return low;
  } else {
    return static_cast<std::uint16_t>(low | Pull8(core) << 8);
  }
}

// The instructions the 65816 added (PEA, PEI, PER, PHD, PLD, PLB, JSL, RTL,
// JSR (a,X)) move the stack pointer over all 16 bits, even in emulation mode,
// which puts it back in page 1 when the instruction ends (EndWideStack).
CPU_INLINE void PushWide8(Core& core, std::uint8_t value) {
  WriteMemory(core.memory, core.r.s, value);
  --core.r.s;
}

CPU_INLINE void PushWide16(Core& core, std::uint16_t value) {
  PushWide8(core, static_cast<std::uint8_t>(value >> 8));
  PushWide8(core, static_cast<std::uint8_t>(value));
}

CPU_INLINE std::uint8_t PullWide8(Core& core) {
  ++core.r.s;
  return ReadMemory(core.memory, core.r.s);
}

CPU_INLINE std::uint16_t PullWide16(Core& core) {
  const std::uint8_t low = PullWide8(core);
  return static_cast<std::uint16_t>(low | PullWide8(core) << 8);
}

CPU_INLINE void EndWideStack(Core& core) {
  if (core.r.emulation) {
    core.r.s = static_cast<std::uint16_t>(0x0100 | (core.r.s & 0xFF));
  }
}
