// The 65816 interpreter: instructions by family (results, flags and the
// registers they leave, in both widths and in emulation mode), the wrap rules
// of the addressing modes and the stack, decimal arithmetic, every opcode's
// length, stops and budgets; and the LoROM bus with its I/O. Programs are
// assembled by hand as bytes at $00:8000 of a small image.
#include "cpu/cpu.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pokes = std::vector<std::pair<std::uint32_t, std::uint8_t>>;

constexpr std::uint16_t CODE = 0x8000;

// A machine on a 64 KiB image (banks $00 and $01) holding `code` at $00:8000.
struct Rig {
  explicit Rig(const Bytes& code, std::size_t size = 0x10000) : rom(size, 0xEA) {
    std::copy(code.begin(), code.end(), rom.begin());
    machine.bus = MakeBus(rom);
    machine.cpu.pc = CODE;
  }
  Rig(const Rig&) = delete;

  // Memory as the processor sees it; ROM bytes are set in the image.
  void Poke(std::uint32_t address, std::uint8_t value) {
    const std::int64_t offset = RomOffsetOf(machine.bus, address);
    offset >= 0 ? void(rom.at(static_cast<std::size_t>(offset)) = value)
                : WriteBus(machine.bus, address, value);
  }
  std::uint8_t Peek(std::uint32_t address) { return ReadBus(machine.bus, address); }
  // Bytes to consecutive addresses, or all to one register.
  void Write(std::uint32_t address, std::initializer_list<std::uint8_t> values) {
    for (const std::uint8_t value : values) {
      WriteBus(machine.bus, address++, value);
    }
  }
  void Repeat(std::uint32_t address, std::initializer_list<std::uint8_t> values) {
    for (const std::uint8_t value : values) {
      WriteBus(machine.bus, address, value);
    }
  }

  Bytes rom;
  Machine machine;
};

std::string Describe(const Registers& r) {
  char text[160];
  std::snprintf(text, sizeof text,
                "A=%04X X=%04X Y=%04X S=%04X D=%04X PC=%02X:%04X DB=%02X P=%02X E=%d", r.a, r.x,
                r.y, r.s, r.d, r.pb, r.pc, r.db, r.p, r.emulation);
  return text;
}

// One instruction (or `steps`) from `before`; `after` names every register,
// its pc 0 meaning "just past the code".
struct Row {
  const char* name;
  Bytes code;
  Registers before;
  Registers after;
  Pokes memory = {};    // before the run
  Pokes expected = {};  // after it
  int steps = 1;
};

void RunRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(row.code);
    for (const auto& [address, value] : row.memory) {
      rig.Poke(address, value);
    }
    rig.machine.cpu = row.before;
    rig.machine.cpu.pc = CODE;
    for (int step = 0; step < row.steps; ++step) {
      ASSERT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
    }
    Registers want = row.after;
    if (want.pc == 0) {
      want.pc = static_cast<std::uint16_t>(CODE + row.code.size());
    }
    EXPECT_EQ(Describe(rig.machine.cpu), Describe(want));
    for (const auto& [address, value] : row.expected) {
      EXPECT_EQ(rig.Peek(address), value) << std::hex << "at " << address;
    }
  }
}

TEST(CpuInstructions, ReadFamilyInBothWidths) {
  RunRows({
      {"LDA # 8-bit keeps B", {0xA9, 0x80}, {.a = 0x1200, .p = 0x30}, {.a = 0x1280, .p = 0xB0}},
      {"LDA # 16-bit", {0xA9, 0x00, 0x80}, {.p = 0x00}, {.a = 0x8000, .p = 0x80}},
      {"LDX # 8-bit beside 16-bit A", {0xA2, 0xFF}, {.p = 0x10}, {.x = 0xFF, .p = 0x90}},
      {"ADC 8 overflows", {0x69, 0x01}, {.a = 0x7F, .p = 0x30}, {.a = 0x80, .p = 0xF0}},
      {"ADC 16 carries", {0x69, 0x01, 0x00}, {.a = 0xFFFF, .p = 0}, {.a = 0, .p = 0x03}},
      {"ADC takes the carry", {0x69, 0x20}, {.a = 0x10, .p = 0x31}, {.a = 0x31, .p = 0x30}},
      {"SBC 8 borrows", {0xE9, 0x70}, {.a = 0x50, .p = 0x31}, {.a = 0xE0, .p = 0xB0}},
      {"SBC 16 overflows", {0xE9, 0x01, 0x00}, {.a = 0x8000, .p = 0x01}, {.a = 0x7FFF, .p = 0x41}},
      {"AND 16", {0x29, 0xFF, 0x0F}, {.a = 0xF0F0, .p = 0}, {.a = 0x00F0, .p = 0}},
      {"ORA 8 keeps B", {0x09, 0x80}, {.a = 0x0100, .p = 0x30}, {.a = 0x0180, .p = 0xB0}},
      {"EOR 8 to zero", {0x49, 0x55}, {.a = 0x55, .p = 0x30}, {.a = 0, .p = 0x32}},
      {"CMP 8 below", {0xC9, 0x20}, {.a = 0x10, .p = 0x31}, {.a = 0x10, .p = 0xB0}},
      {"CMP 16 equal", {0xC9, 0x34, 0x12}, {.a = 0x1234, .p = 0}, {.a = 0x1234, .p = 0x03}},
      {"CPX 16", {0xE0, 0x00, 0x01}, {.x = 0x0100, .p = 0x20}, {.x = 0x0100, .p = 0x23}},
      {"CPY 8 above", {0xC0, 0x01}, {.y = 0x80, .p = 0x30}, {.y = 0x80, .p = 0x31}},
      {"BIT # sets only Z", {0x89, 0xF0}, {.a = 0x0F, .p = 0xF0}, {.a = 0x0F, .p = 0xF2}},
      {"BIT dp takes N and V",
       {0x24, 0x10},
       {.a = 0xC0, .p = 0x30},
       {.a = 0xC0, .p = 0xF0},
       {{0x10, 0xC0}}},
      {"BIT 16 takes bits 15 and 14", {0x2C, 0x10, 0x00}, {.p = 0}, {.p = 0x42}, {{0x11, 0x40}}},
  });
}

TEST(CpuInstructions, WriteAndModifyFamilies) {
  const Pokes word1234 = {{0x10, 0x34}, {0x11, 0x12}};
  RunRows({
      {"STA 16",
       {0x85, 0x10},
       {.a = 0xBEEF, .p = 0},
       {.a = 0xBEEF, .p = 0},
       {},
       {{0x10, 0xEF}, {0x11, 0xBE}}},
      {"STA 8 leaves the next byte",
       {0x85, 0x10},
       {.a = 0xBEEF, .p = 0x30},
       {.a = 0xBEEF, .p = 0x30},
       word1234,
       {{0x10, 0xEF}, {0x11, 0x12}}},
      {"STX 16 dp,Y",
       {0x96, 0x0E},
       {.x = 0x5678, .y = 2, .p = 0x20},
       {.x = 0x5678, .y = 2, .p = 0x20},
       {},
       {{0x10, 0x78}, {0x11, 0x56}}},
      {"STZ 16 abs", {0x9C, 0x10, 0x00}, {.p = 0}, {.p = 0}, word1234, {{0x10, 0}, {0x11, 0}}},
      {"INC 8 wraps to zero",
       {0xE6, 0x10},
       {.p = 0x30},
       {.p = 0x32},
       {{0x10, 0xFF}},
       {{0x10, 0x00}}},
      {"DEC 16 wraps", {0xC6, 0x10}, {.p = 0}, {.p = 0x80}, {}, {{0x10, 0xFF}, {0x11, 0xFF}}},
      {"ASL 8 carries out", {0x06, 0x10}, {.p = 0x30}, {.p = 0x31}, {{0x10, 0x81}}, {{0x10, 0x02}}},
      {"LSR 16", {0x46, 0x10}, {.p = 0}, {.p = 0x00}, word1234, {{0x10, 0x1A}, {0x11, 0x09}}},
      {"ROL 8 takes the carry",
       {0x26, 0x10},
       {.p = 0x31},
       {.p = 0x31},
       {{0x10, 0x80}},
       {{0x10, 0x01}}},
      {"ROR 16 takes the carry",
       {0x66, 0x10},
       {.p = 0x01},
       {.p = 0x81},
       {{0x10, 0x01}},
       {{0x10, 0x00}, {0x11, 0x80}}},
      {"TSB 8",
       {0x04, 0x10},
       {.a = 0x0F, .p = 0x30},
       {.a = 0x0F, .p = 0x32},
       {{0x10, 0xF0}},
       {{0x10, 0xFF}}},
      {"TRB 16",
       {0x14, 0x10},
       {.a = 0x00FF, .p = 0},
       {.a = 0x00FF, .p = 0},
       word1234,
       {{0x10, 0x00}, {0x11, 0x12}}},
      {"ASL A 16", {0x0A}, {.a = 0x4001, .p = 0}, {.a = 0x8002, .p = 0x80}},
      {"INC A 8 keeps B", {0x1A}, {.a = 0x12FF, .p = 0x30}, {.a = 0x1200, .p = 0x32}},
      {"DEX 8 wraps", {0xCA}, {.p = 0x30}, {.x = 0xFF, .p = 0xB0}},
      {"INY 16", {0xC8}, {.y = 0x00FF, .p = 0}, {.y = 0x0100, .p = 0}},
  });
}

TEST(CpuInstructions, StatusTransfersAndStack) {
  RunRows({
      {"SEP #$10 drops the index high bytes",
       {0xE2, 0x10},
       {.x = 0x1234, .y = 0xABCD, .p = 0},
       {.x = 0x34, .y = 0xCD, .p = 0x10}},
      {"REP in emulation keeps m and x",
       {0xC2, 0x31},
       {.p = 0x31, .emulation = true},
       {.p = 0x30, .emulation = true}},
      {"XCE into emulation",
       {0xFB},
       {.x = 0x1234, .s = 0x0234, .p = 0x01},
       {.x = 0x34, .s = 0x0134, .p = 0x30, .emulation = true}},
      {"XCE out of emulation", {0xFB}, {.p = 0x30, .emulation = true}, {.p = 0x31}},
      {"XBA", {0xEB}, {.a = 0x12FF, .p = 0x30}, {.a = 0xFF12, .p = 0x30}},
      {"TAX 16-bit copies all of A",
       {0xAA},
       {.a = 0x1280, .p = 0x20},
       {.a = 0x1280, .x = 0x1280, .p = 0x20}},
      {"TXA 8-bit keeps B",
       {0x8A},
       {.a = 0x1200, .x = 0x80, .p = 0x30},
       {.a = 0x1280, .x = 0x80, .p = 0xB0}},
      {"TSX 8-bit", {0xBA}, {.s = 0x01F0, .p = 0x30}, {.x = 0xF0, .s = 0x01F0, .p = 0xB0}},
      {"TCS in emulation",
       {0x1B},
       {.a = 0x1234, .p = 0x30, .emulation = true},
       {.a = 0x1234, .s = 0x0134, .p = 0x30, .emulation = true}},
      {"TCD is 16-bit in 8-bit A",
       {0x5B},
       {.a = 0x8000, .p = 0x30},
       {.a = 0x8000, .d = 0x8000, .p = 0xB0}},
      {"PHA 16 then PLX 8",
       {0x48, 0xE2, 0x10, 0xFA},
       {.a = 0x1234, .p = 0},
       {.a = 0x1234, .x = 0x34, .s = 0x01FE, .p = 0x10},
       {},
       {{0x01FF, 0x12}, {0x01FE, 0x34}},
       3},
      {"PHP in emulation wraps in page 1",
       {0x08},
       {.s = 0x0100, .p = 0x30, .emulation = true},
       {.s = 0x01FF, .p = 0x30, .emulation = true},
       {},
       {{0x0100, 0x30}}},
      {"PHD in emulation leaves page 1 and comes back",
       {0x0B},
       {.s = 0x0100, .d = 0xABCD, .p = 0x30, .emulation = true},
       {.s = 0x01FE, .d = 0xABCD, .p = 0x30, .emulation = true},
       {},
       {{0x0100, 0xAB}, {0x00FF, 0xCD}}},
      {"PLP sets x and drops the index high bytes",
       {0x28},
       {.x = 0x1234, .s = 0x01FE, .p = 0},
       {.x = 0x34, .s = 0x01FF, .p = 0x10},
       {{0x01FF, 0x10}}},
      {"PEA", {0xF4, 0x34, 0x12}, {}, {.s = 0x01FD}, {}, {{0x01FF, 0x12}, {0x01FE, 0x34}}},
      {"PER", {0x62, 0x10, 0x00}, {}, {.s = 0x01FD}, {}, {{0x01FF, 0x80}, {0x01FE, 0x13}}},
      {"PEI",
       {0xD4, 0x20},
       {.d = 0x0100},
       {.s = 0x01FD, .d = 0x0100},
       {{0x0120, 0x78}, {0x0121, 0x56}},
       {{0x01FF, 0x56}, {0x01FE, 0x78}}},
      {"PLB", {0xAB}, {.s = 0x01FE}, {.s = 0x01FF, .db = 0x80, .p = 0xB4}, {{0x01FF, 0x80}}},
      {"WDM is two bytes", {0x42, 0xFF}, {}, {}},
  });
}

TEST(CpuInstructions, JumpsCallsAndReturns) {
  RunRows({
      {"BNE taken back", {0xD0, 0xFE}, {.p = 0x30}, {.pc = CODE, .p = 0x30}},
      {"BEQ not taken", {0xF0, 0x10}, {.p = 0x30}, {.p = 0x30}},
      {"BRL", {0x82, 0x00, 0x10}, {}, {.pc = 0x9003}},
      {"JMP (a) reads bank 0",
       {0x6C, 0x00, 0x01},
       {.pb = 0},
       {.pc = 0x9234},
       {{0x0100, 0x34}, {0x0101, 0x92}}},
      {"JMP (a,X) reads the program bank",
       {0x7C, 0x00, 0x81},
       {.x = 2},
       {.x = 2, .pc = 0x8555},
       {{0x8102, 0x55}, {0x8103, 0x85}}},
      {"JML [a]",
       {0xDC, 0x00, 0x01},
       {},
       {.pc = 0x9000, .pb = 0x01},
       {{0x0100, 0x00}, {0x0101, 0x90}, {0x0102, 0x01}}},
      {"JSR pushes its last byte",
       {0x20, 0x00, 0x90},
       {},
       {.s = 0x01FD, .pc = 0x9000},
       {},
       {{0x01FF, 0x80}, {0x01FE, 0x02}}},
      {"JSL in emulation",
       {0x22, 0x00, 0x90, 0x01},
       {.s = 0x0101, .p = 0x30, .emulation = true},
       {.s = 0x01FE, .pc = 0x9000, .pb = 0x01, .p = 0x30, .emulation = true},
       {},
       {{0x0101, 0x00}, {0x0100, 0x80}, {0x00FF, 0x03}}},
      {"RTS in emulation wraps in page 1",
       {0x60},
       {.s = 0x01FF, .p = 0x30, .emulation = true},
       {.s = 0x0101, .pc = 0x1235, .p = 0x30, .emulation = true},
       {{0x0100, 0x34}, {0x0101, 0x12}}},
      {"RTL",
       {0x6B},
       {.s = 0x01FC},
       {.s = 0x01FF, .pc = 0x9000, .pb = 0x7E},
       {{0x01FD, 0xFF}, {0x01FE, 0x8F}, {0x01FF, 0x7E}}},
      {"RTI native pulls the bank",
       {0x40},
       {.s = 0x01FB},
       {.s = 0x01FF, .pc = 0x9000, .pb = 0x01, .p = 0x03},
       {{0x01FC, 0x03}, {0x01FD, 0x00}, {0x01FE, 0x90}, {0x01FF, 0x01}}},
      {"MVN moves up",
       {0x54, 0x7F, 0x7E},
       {.a = 2, .x = 0x10, .y = 0x20, .p = 0x20},
       {.a = 0xFFFF, .x = 0x13, .y = 0x23, .db = 0x7F, .p = 0x20},
       {{0x7E0010, 1}, {0x7E0011, 2}, {0x7E0012, 3}},
       {{0x7F0020, 1}, {0x7F0021, 2}, {0x7F0022, 3}},
       3},
      {"MVP moves down, 8-bit index",
       {0x44, 0x7F, 0x7E},
       {.a = 1, .x = 0x01, .y = 0xFF, .p = 0x30},
       {.a = 0xFFFF, .x = 0xFF, .y = 0xFD, .db = 0x7F, .p = 0x30},
       {{0x7E0000, 1}, {0x7E0001, 2}},
       {{0x7F00FE, 1}, {0x7F00FF, 2}},
       2},
  });
}

// Each addressing mode reads the marker 0x5A (and 0xA5 above it in 16 bits)
// from the address the wrap rules give, the pointers placed as `memory`.
struct ModeRow {
  const char* name;
  Bytes code;
  Registers before;
  Pokes memory;
  std::uint32_t low;
  std::uint32_t high = 0;  // the second byte in 16 bits
};

TEST(CpuAddressing, EveryModeAndItsWrapRules) {
  const Registers e8{.p = 0x30, .emulation = true};
  const std::vector<ModeRow> rows = {
      {"dp", {0xA5, 0x20}, {.d = 0x1000, .p = 0x30}, {}, 0x1020},
      {"dp,X wraps in bank 0", {0xB5, 0x20}, {.x = 0x10, .d = 0xFFF0, .p = 0x30}, {}, 0x0020},
      {"dp,X emulation DL = 0 wraps in the page",
       {0xB5, 0xF0},
       {.x = 0x20, .d = 0x0100, .p = 0x30, .emulation = true},
       {},
       0x0110},
      {"dp,X emulation DL != 0 does not",
       {0xB5, 0xF0},
       {.x = 0x20, .d = 0x0101, .p = 0x30, .emulation = true},
       {},
       0x0211},
      {"abs", {0xAD, 0x34, 0x12}, {.db = 0x7E, .p = 0x30}, {}, 0x7E1234},
      {"abs,X crosses into the next bank",
       {0xBD, 0xF8, 0xFF},
       {.x = 0x10, .db = 0x7E, .p = 0x20},
       {},
       0x7F0008},
      {"abs,Y", {0xB9, 0x00, 0x01}, {.y = 2, .db = 0x7F, .p = 0x30}, {}, 0x7F0102},
      {"long", {0xAF, 0x00, 0x30, 0x7E}, {.p = 0x30}, {}, 0x7E3000},
      {"long,X crosses", {0xBF, 0xFF, 0xFF, 0x7E}, {.x = 1, .p = 0x30}, {}, 0x7F0000},
      {"(dp)", {0xB2, 0x30}, {.db = 0x7F, .p = 0x30}, {{0x30, 0x00}, {0x31, 0x40}}, 0x7F4000},
      {"(dp) emulation DL = 0 pointer wraps in the page",
       {0xB2, 0xFF},
       e8,
       {{0xFF, 0x78}, {0x00, 0x05}, {0x100, 0x09}},
       0x0578},
      {"(dp,X)",
       {0xA1, 0x30},
       {.x = 4, .db = 0x7E, .p = 0x30},
       {{0x34, 0x00}, {0x35, 0x50}},
       0x7E5000},
      {"(dp,X) emulation DL != 0 pointer in one page",
       {0xA1, 0xFE},
       {.d = 0x0001, .p = 0x30, .emulation = true},
       {{0xFF, 0x34}, {0x00, 0x12}, {0x100, 0x09}},
       0x1234},
      {"(dp),Y crosses into the next bank",
       {0xB1, 0x40},
       {.y = 0x20, .db = 0x7E, .p = 0x20},
       {{0x40, 0xF0}, {0x41, 0xFF}},
       0x7F0010},
      {"[dp]", {0xA7, 0x50}, {.p = 0x30}, {{0x50, 0x00}, {0x51, 0x60}, {0x52, 0x7F}}, 0x7F6000},
      {"[dp] emulation DL = 0 pointer leaves the page",
       {0xA7, 0xFF},
       e8,
       {{0xFF, 0x45}, {0x100, 0x23}, {0x101, 0x7E}},
       0x7E2345},
      {"[dp],Y",
       {0xB7, 0x50},
       {.y = 0x10, .p = 0x30},
       {{0x50, 0x00}, {0x51, 0x60}, {0x52, 0x7F}},
       0x7F6010},
      {"sr,S", {0xA3, 0x03}, {.s = 0x01F0, .p = 0x30}, {}, 0x01F3},
      {"(sr,S),Y",
       {0xB3, 0x02},
       {.y = 5, .s = 0x01F0, .db = 0x7E, .p = 0x30},
       {{0x1F2, 0x00}, {0x1F3, 0x10}},
       0x7E1005},
      {"16-bit data crosses the bank",
       {0xAD, 0xFF, 0xFF},
       {.db = 0x7E, .p = 0},
       {},
       0x7EFFFF,
       0x7F0000},
      {"16-bit direct page wraps in bank 0",
       {0xA5, 0x00},
       {.d = 0xFFFF, .p = 0},
       {},
       0x00FFFF,
       0x000000},
      {"16-bit stack relative wraps in bank 0",
       {0xA3, 0x01},
       {.s = 0xFFFE, .p = 0},
       {},
       0x00FFFF,
       0x000000},
  };
  for (const ModeRow& row : rows) {
    SCOPED_TRACE(row.name);
    Rig rig(row.code);
    for (const auto& [address, value] : row.memory) {
      rig.Poke(address, value);
    }
    rig.Poke(row.low, 0x5A);
    if (row.high != 0 || row.low == 0x00FFFF) {
      rig.Poke(row.high, 0xA5);
    }
    rig.machine.cpu = row.before;
    rig.machine.cpu.pc = CODE;
    ASSERT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
    EXPECT_EQ(rig.machine.cpu.a, row.low == 0x00FFFF || row.high != 0 ? 0xA55A : 0x5A);
  }
}

// In WRAM, where the next bank holds other bytes: LDA #$xxxx at $7E:FFFE
// takes its high byte from $7E:0000.
TEST(CpuAddressing, ProgramCounterWrapsInItsBank) {
  Rig rig({});
  rig.Write(0x7EFFFE, {0xA9, 0x34});
  rig.Poke(0x7E0000, 0x12);
  rig.Poke(0x7F0000, 0x99);
  rig.machine.cpu = {.pc = 0xFFFE, .pb = 0x7E, .p = 0};
  ASSERT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
  EXPECT_EQ(rig.machine.cpu.a, 0x1234);
  EXPECT_EQ(rig.machine.cpu.pc, 0x0001);
  EXPECT_EQ(rig.machine.cpu.pb, 0x7E);
}

// Decimal mode, against sums worked out by hand.
TEST(CpuDecimal, AddAndSubtractInBothWidths) {
  struct DecimalRow {
    std::uint8_t opcode;  // ADC # or SBC #
    bool wide;
    bool carry;
    std::uint16_t a, operand, result;
    bool carryOut, overflow;
  };
  const std::vector<DecimalRow> rows = {
      {0x69, false, false, 0x15, 0x27, 0x42, false, false},
      {0x69, false, false, 0x99, 0x01, 0x00, true, false},
      {0x69, false, true, 0x58, 0x46, 0x05, true, true},
      {0x69, false, false, 0x79, 0x10, 0x89, false, true},
      {0x69, true, false, 0x1234, 0x5678, 0x6912, false, false},
      {0x69, true, false, 0x9999, 0x0001, 0x0000, true, false},
      {0xE9, false, true, 0x42, 0x15, 0x27, true, false},
      {0xE9, false, true, 0x00, 0x01, 0x99, false, false},
      {0xE9, false, false, 0x40, 0x13, 0x26, true, false},
      {0xE9, true, true, 0x1000, 0x0001, 0x0999, true, false},
      {0xE9, true, true, 0x0000, 0x0001, 0x9999, false, false},
  };
  for (const DecimalRow& row : rows) {
    SCOPED_TRACE(testing::Message() << std::hex << "opcode " << +row.opcode << " a " << row.a
                                    << " operand " << row.operand);
    Bytes code = {row.opcode, static_cast<std::uint8_t>(row.operand)};
    if (row.wide) {
      code.push_back(static_cast<std::uint8_t>(row.operand >> 8));
    }
    Rig rig(code);
    rig.machine.cpu.a = row.a;
    rig.machine.cpu.p = static_cast<std::uint8_t>(FLAG_D | (row.wide ? 0 : FLAG_M | FLAG_X) |
                                                  (row.carry ? FLAG_C : 0));
    ASSERT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
    EXPECT_EQ(rig.machine.cpu.a, row.result);
    EXPECT_EQ((rig.machine.cpu.p & FLAG_C) != 0, row.carryOut);
    EXPECT_EQ((rig.machine.cpu.p & FLAG_V) != 0, row.overflow);
  }
}

// The length of every opcode that does not jump, '.' for those that do and
// the stops; 'm' and 'x' for immediates as wide as the accumulator or index.
constexpr std::array<const char*, 16> OPCODE_LENGTHS = {
    ".2.222221m113334", ".222222213113334", ".2.222221m113334", ".222222213113334",
    ".222.2221m11.334", ".222.2221311.334", ".23222221m1..334", ".22222221311.334",
    ".2.222221m113334", ".222222213113334", "x2x222221m113334", ".222222213113334",
    "x22222221m1.3334", ".2222222131..334", "x22222221m113334", ".22232221311.334"};

TEST(CpuOpcodes, EveryOpcodeHasItsLengthInEachMode) {
  const std::vector<Registers> modes = {
      {.p = 0x30}, {.p = 0x20}, {.p = 0x10}, {.p = 0x00}, {.p = 0x30, .emulation = true}};
  Rig rig({});
  for (const Registers& mode : modes) {
    for (int opcode = 0; opcode < 256; ++opcode) {
      const char length = OPCODE_LENGTHS.at(static_cast<std::size_t>(opcode >> 4))[opcode & 15];
      if (length == '.') {
        continue;
      }
      SCOPED_TRACE(testing::Message() << std::hex << "opcode " << opcode << " p " << +mode.p);
      rig.rom.at(0) = static_cast<std::uint8_t>(opcode);
      rig.machine.cpu = mode;
      rig.machine.cpu.pc = CODE;
      ASSERT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
      int want = length - '0';
      if (length == 'm' || length == 'x') {
        want = (mode.p & (length == 'm' ? FLAG_M : FLAG_X)) != 0 ? 2 : 3;
      }
      EXPECT_EQ(rig.machine.cpu.pc, CODE + want);
      EXPECT_EQ(rig.machine.cpu.pb, 0);
    }
  }
}

TEST(CpuRun, StoppingOpcodesAreReportedNotRun) {
  const std::vector<std::pair<std::uint8_t, StopReason>> stops = {{0x00, StopReason::Break},
                                                                  {0x02, StopReason::Coprocessor},
                                                                  {0xDB, StopReason::Stopped},
                                                                  {0xCB, StopReason::Waiting}};
  for (const auto& [opcode, reason] : stops) {
    SCOPED_TRACE(DescribeStop(reason));
    Rig rig({0xA9, 0x01, opcode});  // LDA #1, then the stop
    EXPECT_EQ(Step(rig.machine), StopReason::BudgetExhausted);
    EXPECT_EQ(Step(rig.machine), reason);
    EXPECT_EQ(rig.machine.cpu.pc, CODE + 2);
    EXPECT_EQ(rig.machine.instructions, 1u);

    Rig called({0xA9, 0x01, opcode});
    const RunResult result = CallRoutine(called.machine, 0x008000, CallKind::Long, 100);
    EXPECT_EQ(result.reason, reason);
    EXPECT_EQ(result.instructions, 1u);
    EXPECT_EQ(DescribeRun(result, 100), std::string(DescribeStop(reason)) + " at $00:8002");
  }
}

TEST(CpuRun, BudgetEndsCodeThatNeverReturns) {
  Rig rig({0x80, 0xFE});  // BRA to itself
  const RunResult result = CallRoutine(rig.machine, 0x008000, CallKind::Short, 1000);
  EXPECT_EQ(result.reason, StopReason::BudgetExhausted);
  EXPECT_EQ(result.instructions, 1000u);
  EXPECT_EQ(rig.machine.instructions, 1000u);
  EXPECT_EQ(DescribeRun(result, 1000), "no return within 1000 instructions");

  // DMA of 0x10000 bytes, again and again: each transfer counts as 0x2000
  // instructions, so the third STA spends the budget of 0x4000.
  Rig dma({0x8D, 0x0B, 0x42, 0x80, 0xFB});  // STA $420B, BRA back
  dma.machine.cpu.a = 0x01;
  dma.Write(0x004300, {0x08, 0x80, 0x00, 0x80, 0x00, 0x00, 0x00});
  const RunResult transfers = CallRoutine(dma.machine, 0x008000, CallKind::Short, 0x4000);
  EXPECT_EQ(transfers.reason, StopReason::BudgetExhausted);
  EXPECT_EQ(transfers.instructions, 3u);
}

TEST(CpuRun, CallReturnsWhenTheStackRisesAboveTheCall) {
  // $00:8000: JSR $8010, JSR $8010, RTS; $8010: PHA, PLA, RTS; $8020: JSL-
  // style routine: PHB, PLB, RTL.
  Bytes code(0x30, 0xEA);
  const Bytes main = {0x20, 0x10, 0x80, 0x20, 0x10, 0x80, 0x60};
  const Bytes inner = {0x48, 0x68, 0x60};
  const Bytes lng = {0x8B, 0xAB, 0x6B};
  std::copy(main.begin(), main.end(), code.begin());
  std::copy(inner.begin(), inner.end(), code.begin() + 0x10);
  std::copy(lng.begin(), lng.end(), code.begin() + 0x20);
  for (const bool emulation : {false, true}) {
    SCOPED_TRACE(emulation ? "emulation" : "native");
    Rig rig(code);
    rig.machine.cpu = {.s = 0x0101, .pc = 0x1234, .pb = 0x05, .p = 0x30, .emulation = emulation};
    RunResult result = CallRoutine(rig.machine, 0x008000, CallKind::Short, 100);
    EXPECT_EQ(result.reason, StopReason::Returned);
    EXPECT_EQ(result.instructions, 9u);
    EXPECT_EQ(result.address, 0x008006u);
    EXPECT_EQ(rig.machine.cpu.s, 0x0101);
    EXPECT_EQ(rig.machine.cpu.pc, 0x1234);

    // JSL and RTL leave page 1 in emulation mode: not across its edge.
    rig.machine.cpu.s = 0x01F0;
    result = CallRoutine(rig.machine, 0x008020, CallKind::Long, 100);
    EXPECT_EQ(result.reason, StopReason::Returned);
    EXPECT_EQ(result.instructions, 3u);
    EXPECT_EQ(rig.machine.cpu.s, 0x01F0);
    EXPECT_EQ(rig.machine.cpu.pb, 0x00);  // the short call left the routine's bank
    EXPECT_EQ(rig.machine.cpu.pc, 0x1234);
  }
}

TEST(CpuBus, LoRomMapAndItsMirrors) {
  const Bytes oneMebibyte(0x100000);
  const Bytes threeMebibytes(0x300000);
  const struct {
    const Bytes& rom;
    std::uint32_t address;
    std::int64_t offset;
  } rows[] = {
      {oneMebibyte, 0x008000, 0x0},         {oneMebibyte, 0x808000, 0x0},
      {oneMebibyte, 0x01FFFF, 0xFFFF},      {oneMebibyte, 0x1FFFFF, 0xFFFFF},
      {oneMebibyte, 0x208000, 0x0},         {oneMebibyte, 0xFFFFFF, 0xFFFFF},
      {oneMebibyte, 0xFE8000, 0xF0000},     {oneMebibyte, 0x007FFF, -1},
      {oneMebibyte, 0x7E8000, -1},          {oneMebibyte, 0x7FFFFF, -1},
      {threeMebibytes, 0x5FFFFF, 0x2FFFFF}, {threeMebibytes, 0x608000, 0x200000},
      {threeMebibytes, 0x7DFFFF, 0x2EFFFF}, {threeMebibytes, 0xE08000, 0x200000},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(RomOffsetOf(MakeBus(row.rom), row.address), row.offset)
        << std::hex << row.address << " in " << row.rom.size();
  }

  Rig rig({});
  WriteBus(rig.machine.bus, 0x000123, 0x11);
  WriteBus(rig.machine.bus, 0x801FFF, 0x22);
  WriteBus(rig.machine.bus, 0x7F0123, 0x33);
  WriteBus(rig.machine.bus, 0x700010, 0x44);
  EXPECT_EQ(rig.Peek(0x7E0123), 0x11);
  EXPECT_EQ(rig.Peek(0x3F0123), 0x11);
  EXPECT_EQ(rig.Peek(0x7E1FFF), 0x22);
  EXPECT_EQ(rig.Peek(0x7F0123), 0x33);
  EXPECT_EQ(rig.Peek(0x7D0010), 0x44);
  EXPECT_EQ(rig.machine.bus.saveRam.at(0x10), 0x44);
  EXPECT_EQ(rig.machine.bus.unmappedReads + rig.machine.bus.unmappedWrites, 0u);
}

TEST(CpuBus, UnmappedAccessesAreCountedAndReadOpenBus) {
  const struct {
    std::uint32_t address;
    bool mapped;
  } rows[] = {{0x002000, false}, {0x002137, true},  {0x0021FF, false}, {0x004016, true},
              {0x004210, true},  {0x004300, true},  {0x004400, false}, {0x005FFF, false},
              {0x006000, false}, {0x400000, false}, {0xC01234, false}, {0xF00000, false},
              {0x708000, true}};
  for (const auto& row : rows) {
    Rig rig({});
    WriteBus(rig.machine.bus, 0x7E0000, 0x77);
    const std::uint8_t value = ReadBus(rig.machine.bus, row.address);
    WriteBus(rig.machine.bus, row.address, 0x00);
    const std::uint64_t counted = row.mapped ? 0 : 1;
    EXPECT_EQ(rig.machine.bus.unmappedReads, counted) << std::hex << row.address;
    EXPECT_EQ(rig.machine.bus.unmappedWrites, counted) << std::hex << row.address;
    if (row.address != 0x004300 && row.address != 0x708000) {
      EXPECT_EQ(value, 0x77) << std::hex << row.address;
    }
  }
  Bus empty = MakeBus({});
  ReadBus(empty, 0x008000);
  EXPECT_EQ(empty.unmappedReads, 1u);
}

TEST(CpuBus, MultiplyAndDivide) {
  const struct {
    std::uint32_t operation;  // $4203 or $4206
    std::uint16_t first;      // the multiplicand, or the dividend
    std::uint8_t second;
    std::uint16_t quotient, product;
  } rows[] = {{0x4203, 0xFF, 0xFF, 0xFFFF, 0xFE01},
              {0x4203, 0x12, 0x00, 0x0012, 0x0000},
              {0x4206, 0xFFFF, 0x10, 0x0FFF, 0x000F},
              {0x4206, 0x1234, 0x00, 0xFFFF, 0x1234},
              {0x4206, 0x0007, 0x09, 0x0000, 0x0007}};
  for (const auto& row : rows) {
    Rig rig({});
    rig.Write(0x4202, {static_cast<std::uint8_t>(row.first)});
    rig.Write(0x4204,
              {static_cast<std::uint8_t>(row.first), static_cast<std::uint8_t>(row.first >> 8)});
    WriteBus(rig.machine.bus, row.operation, row.second);
    EXPECT_EQ(rig.Peek(0x4214) | rig.Peek(0x4215) << 8, row.quotient) << std::hex << row.first;
    EXPECT_EQ(rig.Peek(0x4216) | rig.Peek(0x4217) << 8, row.product) << std::hex << row.first;
  }
}

TEST(CpuBus, WorkRamAndColourPorts) {
  Rig rig({});
  rig.Write(0x2181, {0xFF, 0xFF, 0xFF});  // $1FFFF: bit 0 of $2183 only
  WriteBus(rig.machine.bus, 0x2180, 0xAB);
  WriteBus(rig.machine.bus, 0x2180, 0xCD);
  EXPECT_EQ(rig.machine.bus.workRam.at(0x1FFFF), 0xAB);
  EXPECT_EQ(rig.machine.bus.workRam.at(0x00000), 0xCD);
  rig.Write(0x2181, {0xFF, 0xFF, 0x01});
  EXPECT_EQ(rig.Peek(0x2180), 0xAB);
  EXPECT_EQ(rig.Peek(0x2180), 0xCD);

  rig.Write(0x2121, {0x01});
  WriteBus(rig.machine.bus, 0x2122, 0x34);
  EXPECT_EQ(rig.machine.bus.colourRam.at(2), 0x00);  // kept until the high byte
  WriteBus(rig.machine.bus, 0x2122, 0xFF);
  EXPECT_EQ(rig.machine.bus.colourRam.at(2), 0x34);
  EXPECT_EQ(rig.machine.bus.colourRam.at(3), 0x7F);
  rig.Write(0x2121, {0x01});
  EXPECT_EQ(rig.Peek(0x213B), 0x34);
  EXPECT_EQ(rig.Peek(0x213B), 0x7F);
}

TEST(CpuBus, VideoPortStepsAndRemapping) {
  Rig rig({});
  Bus& bus = rig.machine.bus;
  rig.Write(0x2115, {0x80});  // step after the high byte, by 1
  rig.Write(0x2116, {0x10, 0x00});
  rig.Write(0x2118, {0x11, 0x22});
  rig.Write(0x2118, {0x33, 0x44});
  EXPECT_EQ(Bytes(bus.videoRam.begin() + 0x20, bus.videoRam.begin() + 0x24),
            (Bytes{0x11, 0x22, 0x33, 0x44}));
  rig.Write(0x2115, {0x00});  // after the low byte
  rig.Write(0x2116, {0x00, 0x01});
  rig.Write(0x2118, {0xAA, 0xBB});
  EXPECT_EQ(bus.videoRam.at(0x200), 0xAA);
  EXPECT_EQ(bus.videoRam.at(0x203), 0xBB);
  for (const auto& [control, step] : {std::pair{0x81, 32}, {0x82, 128}, {0x83, 128}}) {
    rig.Write(0x2115, {static_cast<std::uint8_t>(control)});
    rig.Write(0x2116, {0x00, 0x00});
    rig.Write(0x2119, {0x01});
    EXPECT_EQ(bus.videoAddress, step);
  }
  const struct {
    std::uint8_t control;
    std::uint16_t address, remapped;
  } remaps[] = {{0x84, 0x0001, 0x0008}, {0x84, 0x1220, 0x1201}, {0x88, 0x0100, 0x0004},
                {0x88, 0x0001, 0x0008}, {0x8C, 0x0200, 0x0004}, {0x8C, 0x0081, 0x0009}};
  for (const auto& row : remaps) {
    Rig fresh({});
    fresh.Write(0x2115, {row.control});
    fresh.Write(0x2116, {static_cast<std::uint8_t>(row.address),
                         static_cast<std::uint8_t>(row.address >> 8), 0x5A, 0xA5});
    EXPECT_EQ(fresh.machine.bus.videoRam.at(row.remapped * 2u), 0x5A) << std::hex << row.address;
    EXPECT_EQ(fresh.machine.bus.videoRam.at(row.remapped * 2u + 1), 0xA5);
  }
  // Reads come from the latch, filled when the address is set and, as the
  // address steps, from the address it steps from.
  rig.Write(0x2115, {0x80});
  rig.Write(0x2116, {0x00, 0x00});
  rig.Write(0x2118, {0x11, 0x22});
  rig.Write(0x2118, {0x33, 0x44});
  rig.Write(0x2116, {0x00, 0x00});
  const Bytes read = {rig.Peek(0x2139), rig.Peek(0x213A), rig.Peek(0x2139), rig.Peek(0x213A),
                      rig.Peek(0x213A)};
  EXPECT_EQ(read, (Bytes{0x11, 0x22, 0x11, 0x22, 0x44}));
}

void SetChannel(Rig& rig, int channel, std::initializer_list<std::uint8_t> registers) {
  rig.Write(0x4300u + 0x10u * static_cast<std::uint32_t>(channel), registers);
}

TEST(CpuBus, DmaModesStepsAndDirections) {
  // Eight bytes 1-8 from $00:8100 to $2118 in each mode, the port stepping
  // after its high byte: the registers each mode reaches show in VRAM.
  const std::array<Bytes, 8> written = {{{8, 0, 0, 0, 0, 0, 0, 0},
                                         {1, 2, 3, 4, 5, 6, 7, 8},
                                         {8, 0, 0, 0, 0, 0, 0, 0},
                                         {2, 3, 0, 4, 6, 7, 0, 8},
                                         {1, 2, 5, 6, 0, 0, 0, 0},
                                         {1, 2, 3, 4, 5, 6, 7, 8},
                                         {8, 0, 0, 0, 0, 0, 0, 0},
                                         {2, 3, 0, 4, 6, 7, 0, 8}}};
  Bytes source(0x108, 0);
  for (int i = 0; i < 8; ++i) {
    source.at(0x100 + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(i + 1);
  }
  for (std::uint8_t mode = 0; mode < 8; ++mode) {
    Rig rig(source);
    rig.Write(0x2115, {0x80});
    SetChannel(rig, 5, {mode, 0x18, 0x00, 0x81, 0x00, 0x08, 0x00});
    rig.Write(0x420B, {0x20});
    const Bus& bus = rig.machine.bus;
    EXPECT_EQ(Bytes(bus.videoRam.begin(), bus.videoRam.begin() + 8), written.at(mode))
        << "mode " << +mode;
    EXPECT_EQ(bus.dma.at(5).address, 0x8108);
    EXPECT_EQ(bus.dma.at(5).count, 0);
  }

  Rig rig(source);
  const Bus& bus = rig.machine.bus;
  SetChannel(rig, 0, {0x08, 0x80, 0x02, 0x81, 0x00, 0x03, 0x00});  // fixed, to WRAM port
  SetChannel(rig, 1, {0x10, 0x80, 0x03, 0x81, 0x00, 0x04, 0x00});  // decrementing
  rig.Write(0x420B, {0x03});
  EXPECT_EQ(Bytes(bus.workRam.begin(), bus.workRam.begin() + 7), (Bytes{3, 3, 3, 4, 3, 2, 1}));
  EXPECT_EQ(bus.dma.at(0).address, 0x8102);
  EXPECT_EQ(bus.dma.at(1).address, 0x80FF);

  // B to A: CGRAM through $213B into SRAM.
  rig.Write(0x2121, {0x00});
  rig.Repeat(0x2122, {0x12, 0x34, 0x56, 0x78});
  rig.Write(0x2121, {0x00});
  SetChannel(rig, 2, {0x80, 0x3B, 0x10, 0x00, 0x70, 0x04, 0x00});
  rig.Write(0x420B, {0x04});
  EXPECT_EQ(Bytes(bus.saveRam.begin() + 0x10, bus.saveRam.begin() + 0x14),
            (Bytes{0x12, 0x34, 0x56, 0x78}));

  // WRAM to its own port moves nothing; a count of 0 is 0x10000 bytes.
  rig.Write(0x2181, {0x00, 0x10, 0x00});
  SetChannel(rig, 3, {0x00, 0x80, 0x00, 0x00, 0x7E, 0x10, 0x00});
  SetChannel(rig, 4, {0x08, 0x80, 0x00, 0x81, 0x00, 0x00, 0x00});
  rig.Write(0x420B, {0x08});
  EXPECT_EQ(bus.workRamPortAddress, 0x1000u);
  rig.Write(0x420B, {0x10});
  EXPECT_EQ(bus.workRamPortAddress, 0x11000u);
  EXPECT_EQ(bus.dmaBytes, 0x10000u + 0x10 + 0x04 + 0x03 + 0x04);
}

}  // namespace
