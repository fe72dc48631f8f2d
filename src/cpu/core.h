// The processor while it runs: its registers and the bus, the byte and word
// accesses with the wrap rules of each kind of address, the program counter's
// fetches and the stack. Everything here is inline: the run loop in cpu.cpp
// is compiled as one function, with the registers in machine registers.
#pragma once

#include <cstdint>

#include "cpu/cpu.h"
#include "cpu/memory.h"

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
  Bus& bus;
  Registers r;  // the machine's, copied in for the run and back after it
};

template <class W>
constexpr unsigned BITS = 8 * sizeof(W);

inline bool IsSet(const Core& core, std::uint8_t flag) { return (core.r.p & flag) != 0; }

inline void SetFlag(Core& core, std::uint8_t flag, bool on) {
  core.r.p = static_cast<std::uint8_t>(on ? core.r.p | flag : core.r.p & ~flag);
}

template <class W>
void SetNegativeZero(Core& core, W value) {
  const auto negative = static_cast<std::uint8_t>((value >> (BITS<W> - 8)) & FLAG_N);
  core.r.p = static_cast<std::uint8_t>((core.r.p & ~(FLAG_N | FLAG_Z)) | negative |
                                       (value == 0 ? FLAG_Z : 0));
}

// Writes the low byte of a register in 8-bit width, keeping its high byte.
template <class W>
void Assign(std::uint16_t& reg, W value) {
  if constexpr (sizeof(W) == 1) {
    reg = static_cast<std::uint16_t>((reg & 0xFF00) | value);
  } else {
    reg = value;
  }
}

// After P changes: emulation mode holds m and x at 1, and 8-bit index
// registers have no high byte.
inline void SettleFlags(Core& core) {
  if (core.r.emulation) {
    core.r.p |= FLAG_M | FLAG_X;
  }
  if (IsSet(core, FLAG_X)) {
    core.r.x &= 0xFF;
    core.r.y &= 0xFF;
  }
}

inline std::uint32_t Following(Location at) {
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
W Read(Core& core, Location at) {
  const std::uint8_t low = ReadMemory(core.bus, at.address);
  if constexpr (sizeof(W) == 1) {
    return low;
  } else {
    return static_cast<std::uint16_t>(low | ReadMemory(core.bus, Following(at)) << 8);
  }
}

inline std::uint32_t ReadLongPointer(Core& core, Location at) {
  const std::uint32_t word = Read<std::uint16_t>(core, at);
  const Location bank{Following({Following(at), at.wrap}), at.wrap};
  return word | static_cast<std::uint32_t>(ReadMemory(core.bus, bank.address)) << 16;
}

// Stores write the low byte first; read-modify-write instructions the high.
enum class ByteOrder { LowFirst, HighFirst };

template <class W, ByteOrder order = ByteOrder::LowFirst>
void Write(Core& core, Location at, W value) {
  if constexpr (sizeof(W) == 1) {
    WriteMemory(core.bus, at.address, value);
  } else if constexpr (order == ByteOrder::LowFirst) {
    WriteMemory(core.bus, at.address, static_cast<std::uint8_t>(value));
    WriteMemory(core.bus, Following(at), static_cast<std::uint8_t>(value >> 8));
  } else {
    WriteMemory(core.bus, Following(at), static_cast<std::uint8_t>(value >> 8));
    WriteMemory(core.bus, at.address, static_cast<std::uint8_t>(value));
  }
}

inline std::uint32_t ProgramAddress(const Core& core) {
  return static_cast<std::uint32_t>(core.r.pb) << 16 | core.r.pc;
}

// The program counter wraps within its bank.
inline std::uint8_t Fetch8(Core& core) {
  const std::uint8_t value = ReadMemory(core.bus, ProgramAddress(core));
  ++core.r.pc;
  return value;
}

inline std::uint16_t Fetch16(Core& core) {
  const std::uint8_t low = Fetch8(core);
  return static_cast<std::uint16_t>(low | Fetch8(core) << 8);
}

inline std::uint32_t Fetch24(Core& core) {
  const std::uint32_t word = Fetch16(core);
  return word | static_cast<std::uint32_t>(Fetch8(core)) << 16;
}

// The stack is in bank 0; in emulation mode it stays in page 1.
inline void Push8(Core& core, std::uint8_t value) {
  WriteMemory(core.bus, core.r.s, value);
  core.r.s = core.r.emulation ? static_cast<std::uint16_t>(0x0100 | ((core.r.s - 1) & 0xFF))
                              : static_cast<std::uint16_t>(core.r.s - 1);
}

inline std::uint8_t Pull8(Core& core) {
  core.r.s = core.r.emulation ? static_cast<std::uint16_t>(0x0100 | ((core.r.s + 1) & 0xFF))
                              : static_cast<std::uint16_t>(core.r.s + 1);
  return ReadMemory(core.bus, core.r.s);
}

template <class W>
void Push(Core& core, W value) {
  if constexpr (sizeof(W) == 2) {
    Push8(core, static_cast<std::uint8_t>(value >> 8));
  }
  Push8(core, static_cast<std::uint8_t>(value));
}

template <class W>
W Pull(Core& core) {
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
inline void PushWide8(Core& core, std::uint8_t value) {
  WriteMemory(core.bus, core.r.s, value);
  --core.r.s;
}

inline void PushWide16(Core& core, std::uint16_t value) {
  PushWide8(core, static_cast<std::uint8_t>(value >> 8));
  PushWide8(core, static_cast<std::uint8_t>(value));
}

inline std::uint8_t PullWide8(Core& core) {
  ++core.r.s;
  return ReadMemory(core.bus, core.r.s);
}

inline std::uint16_t PullWide16(Core& core) {
  const std::uint8_t low = PullWide8(core);
  return static_cast<std::uint16_t>(low | PullWide8(core) << 8);
}

inline void EndWideStack(Core& core) {
  if (core.r.emulation) {
    core.r.s = static_cast<std::uint16_t>(0x0100 | (core.r.s & 0xFF));
  }
}
