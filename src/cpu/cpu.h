// A 65816 processor: every opcode in native and emulation mode, 8- and
// 16-bit accumulator and index registers (the m and x flags), decimal mode,
// and the wrap rules of the direct page, the stack and bank boundaries. It
// runs on a Bus, one instruction at a time, within an instruction budget.
#pragma once

#include <cstdint>
#include <string>

#include "cpu/bus.h"

// The status register's bits.
constexpr std::uint8_t FLAG_C = 0x01;
constexpr std::uint8_t FLAG_Z = 0x02;
constexpr std::uint8_t FLAG_I = 0x04;
constexpr std::uint8_t FLAG_D = 0x08;
constexpr std::uint8_t FLAG_X = 0x10;  // in emulation mode: the break flag
constexpr std::uint8_t FLAG_M = 0x20;
constexpr std::uint8_t FLAG_V = 0x40;
constexpr std::uint8_t FLAG_N = 0x80;

struct Registers {
  std::uint16_t a = 0;
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint16_t s = 0x01FF;
  std::uint16_t d = 0;
  std::uint16_t pc = 0;
  std::uint8_t db = 0;  // data bank
  std::uint8_t pb = 0;  // program bank
  std::uint8_t p = FLAG_M | FLAG_X | FLAG_I;
  bool emulation = false;
};

struct Machine {
  Bus bus;
  Registers cpu;
  std::uint64_t instructions = 0;  // run since the machine was made
};

enum class StopReason {
  Returned,         // the called routine returned to its caller
  BudgetExhausted,  // the budget ran out first
  Break,            // BRK
  Coprocessor,      // COP
  Stopped,          // STP
  Waiting,          // WAI
};

struct RunResult {
  StopReason reason = StopReason::Returned;
  std::uint32_t address = 0;       // 24-bit address of the last instruction run, or the stop's
  std::uint64_t instructions = 0;  // run by this call
};

// Runs one instruction; a stopping opcode (BRK, COP, STP, WAI) is not run
// but reported, the program counter left on it. An instruction that ran
// gives BudgetExhausted: the budget of one instruction is spent.
StopReason Step(Machine& machine);

enum class CallKind {
  Short,  // JSR: the routine returns with RTS to the bank it runs in
  Long,   // JSL: with RTL
};

// Calls the routine at the 24-bit `address` as a JSR (in its own bank) or
// JSL from the current registers would, and runs until it returns to the
// caller: until the stack pointer rises above where it stood before the
// call. At most `budget` instructions; DMA counts against the budget too, one
// instruction for every 8 bytes moved.
//
// The return address pushed is the one a JSR or JSL at the current program
// counter less 1 would push, so that the routine's RTS or RTL leaves the
// program counter where it stood. The routine has returned as soon as an
// instruction that can raise the stack pointer (a pull, a return, TCS, TXS,
// XCE) leaves it above where the call left it (back at or above its level
// before the call), counted around the stack's wrap: 16 bits, or page 1 in
// emulation mode.
RunResult CallRoutine(Machine& machine, std::uint32_t address, CallKind kind, std::uint64_t budget);

// What a stop is, in a word or two: "BRK", "COP", "STP", "WAI", "no return"
// (the budget ran out), "returned".
const char* DescribeStop(StopReason reason);

// The whole phrase for a run that did not return: "BRK at $02:8000", "no
// return within 5000000 instructions" (with the budget the run was given).
std::string DescribeRun(const RunResult& result, std::uint64_t budget);
