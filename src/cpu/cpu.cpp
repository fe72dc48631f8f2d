#include "cpu/cpu.h"

#include <array>
#include <cstdio>
#include <optional>

#include "cpu/branch_instructions.h"
#include "cpu/modify_instructions.h"
#include "cpu/other_instructions.h"
#include "cpu/read_instructions.h"
#include "cpu/write_instructions.h"

namespace {

using Byte = std::uint8_t;
using Word = std::uint16_t;

// The width of each instruction follows the m flag (the accumulator and
// memory) or the x flag (the index registers).
template <Reading op, Mode mode>
CPU_INLINE void ReadM(Core& core) {
  IsSet(core, FLAG_M) ? ReadInstruction<Byte, op, mode>(core)
                      : ReadInstruction<Word, op, mode>(core);
}

template <Reading op, Mode mode>
CPU_INLINE void ReadX(Core& core) {
  IsSet(core, FLAG_X) ? ReadInstruction<Byte, op, mode>(core)
                      : ReadInstruction<Word, op, mode>(core);
}

template <Source source, Mode mode>
CPU_INLINE void Store(Core& core) {
  constexpr std::uint8_t flag = source == Source::X || source == Source::Y ? FLAG_X : FLAG_M;
  IsSet(core, flag) ? WriteInstruction<Byte, source, mode>(core)
                    : WriteInstruction<Word, source, mode>(core);
}

template <Modifying op, Mode mode>
CPU_INLINE void ModifyM(Core& core) {
  IsSet(core, FLAG_M) ? ModifyInstruction<Byte, op, mode>(core)
                      : ModifyInstruction<Word, op, mode>(core);
}

template <Modifying op>
CPU_INLINE void ModifyA(Core& core) {
  IsSet(core, FLAG_M) ? ModifyRegister<Byte, op>(core, core.r.a)
                      : ModifyRegister<Word, op>(core, core.r.a);
}

template <Modifying op>
CPU_INLINE void ModifyIndex(Core& core, Word& reg) {
  IsSet(core, FLAG_X) ? ModifyRegister<Byte, op>(core, reg) : ModifyRegister<Word, op>(core, reg);
}

CPU_INLINE void TransferM(Core& core, Word from, Word& to) {
  IsSet(core, FLAG_M) ? Transfer<Byte>(core, from, to) : Transfer<Word>(core, from, to);
}

CPU_INLINE void TransferX(Core& core, Word from, Word& to) {
  IsSet(core, FLAG_X) ? Transfer<Byte>(core, from, to) : Transfer<Word>(core, from, to);
}

CPU_INLINE void PushM(Core& core, Word value) {
  IsSet(core, FLAG_M) ? Push<Byte>(core, static_cast<Byte>(value)) : Push<Word>(core, value);
}

CPU_INLINE void PushX(Core& core, Word value) {
  IsSet(core, FLAG_X) ? Push<Byte>(core, static_cast<Byte>(value)) : Push<Word>(core, value);
}

CPU_INLINE void PullM(Core& core, Word& reg) {
  IsSet(core, FLAG_M) ? PullRegister<Byte>(core, reg) : PullRegister<Word>(core, reg);
}

CPU_INLINE void PullX(Core& core, Word& reg) {
  IsSet(core, FLAG_X) ? PullRegister<Byte>(core, reg) : PullRegister<Word>(core, reg);
}

template <MoveDirection direction>
CPU_INLINE void MoveBlock(Core& core) {
  IsSet(core, FLAG_X) ? MoveBlockByte<Byte, direction>(core) : MoveBlockByte<Word, direction>(core);
}

// Runs the instruction whose opcode has been fetched; false, with the program
// counter back on the opcode, for one that stops the run. Compiled into the
// run loop, so that the registers stay in machine registers.
CPU_INLINE bool Execute(Core& core, std::uint8_t opcode) {
  using enum Mode;
  using enum Reading;
  using enum Modifying;
  Registers& r = core.r;
  switch (opcode) {
    // clang-format off
    case 0x00: case 0x02: case 0xCB: case 0xDB: --r.pc; return false;  // BRK COP WAI STP

    case 0x01: ReadM<Ora, IndexedIndirect>(core); break;
    case 0x03: ReadM<Ora, Stack>(core); break;
    case 0x05: ReadM<Ora, Direct>(core); break;
    case 0x07: ReadM<Ora, IndirectLong>(core); break;
    case 0x09: ReadM<Ora, Immediate>(core); break;
    case 0x0D: ReadM<Ora, Absolute>(core); break;
    case 0x0F: ReadM<Ora, Long>(core); break;
    case 0x11: ReadM<Ora, IndirectIndexed>(core); break;
    case 0x12: ReadM<Ora, Indirect>(core); break;
    case 0x13: ReadM<Ora, StackIndirectY>(core); break;
    case 0x15: ReadM<Ora, DirectX>(core); break;
    case 0x17: ReadM<Ora, IndirectLongY>(core); break;
    case 0x19: ReadM<Ora, AbsoluteY>(core); break;
    case 0x1D: ReadM<Ora, AbsoluteX>(core); break;
    case 0x1F: ReadM<Ora, LongX>(core); break;

    case 0x21: ReadM<And, IndexedIndirect>(core); break;
    case 0x23: ReadM<And, Stack>(core); break;
    case 0x25: ReadM<And, Direct>(core); break;
    case 0x27: ReadM<And, IndirectLong>(core); break;
    case 0x29: ReadM<And, Immediate>(core); break;
    case 0x2D: ReadM<And, Absolute>(core); break;
    case 0x2F: ReadM<And, Long>(core); break;
    case 0x31: ReadM<And, IndirectIndexed>(core); break;
    case 0x32: ReadM<And, Indirect>(core); break;
    case 0x33: ReadM<And, StackIndirectY>(core); break;
    case 0x35: ReadM<And, DirectX>(core); break;
    case 0x37: ReadM<And, IndirectLongY>(core); break;
    case 0x39: ReadM<And, AbsoluteY>(core); break;
    case 0x3D: ReadM<And, AbsoluteX>(core); break;
    case 0x3F: ReadM<And, LongX>(core); break;

    case 0x41: ReadM<Eor, IndexedIndirect>(core); break;
    case 0x43: ReadM<Eor, Stack>(core); break;
    case 0x45: ReadM<Eor, Direct>(core); break;
    case 0x47: ReadM<Eor, IndirectLong>(core); break;
    case 0x49: ReadM<Eor, Immediate>(core); break;
    case 0x4D: ReadM<Eor, Absolute>(core); break;
    case 0x4F: ReadM<Eor, Long>(core); break;
    case 0x51: ReadM<Eor, IndirectIndexed>(core); break;
    case 0x52: ReadM<Eor, Indirect>(core); break;
    case 0x53: ReadM<Eor, StackIndirectY>(core); break;
    case 0x55: ReadM<Eor, DirectX>(core); break;
    case 0x57: ReadM<Eor, IndirectLongY>(core); break;
    case 0x59: ReadM<Eor, AbsoluteY>(core); break;
    case 0x5D: ReadM<Eor, AbsoluteX>(core); break;
    case 0x5F: ReadM<Eor, LongX>(core); break;

    case 0x61: ReadM<Adc, IndexedIndirect>(core); break;
    case 0x63: ReadM<Adc, Stack>(core); break;
    case 0x65: ReadM<Adc, Direct>(core); break;
    case 0x67: ReadM<Adc, IndirectLong>(core); break;
    case 0x69: ReadM<Adc, Immediate>(core); break;
    case 0x6D: ReadM<Adc, Absolute>(core); break;
    case 0x6F: ReadM<Adc, Long>(core); break;
    case 0x71: ReadM<Adc, IndirectIndexed>(core); break;
    case 0x72: ReadM<Adc, Indirect>(core); break;
    case 0x73: ReadM<Adc, StackIndirectY>(core); break;
    case 0x75: ReadM<Adc, DirectX>(core); break;
    case 0x77: ReadM<Adc, IndirectLongY>(core); break;
    case 0x79: ReadM<Adc, AbsoluteY>(core); break;
    case 0x7D: ReadM<Adc, AbsoluteX>(core); break;
    case 0x7F: ReadM<Adc, LongX>(core); break;

    case 0xA1: ReadM<Lda, IndexedIndirect>(core); break;
    case 0xA3: ReadM<Lda, Stack>(core); break;
    case 0xA5: ReadM<Lda, Direct>(core); break;
    case 0xA7: ReadM<Lda, IndirectLong>(core); break;
    case 0xA9: ReadM<Lda, Immediate>(core); break;
    case 0xAD: ReadM<Lda, Absolute>(core); break;
    case 0xAF: ReadM<Lda, Long>(core); break;
    case 0xB1: ReadM<Lda, IndirectIndexed>(core); break;
    case 0xB2: ReadM<Lda, Indirect>(core); break;
    case 0xB3: ReadM<Lda, StackIndirectY>(core); break;
    case 0xB5: ReadM<Lda, DirectX>(core); break;
    case 0xB7: ReadM<Lda, IndirectLongY>(core); break;
    case 0xB9: ReadM<Lda, AbsoluteY>(core); break;
    case 0xBD: ReadM<Lda, AbsoluteX>(core); break;
    case 0xBF: ReadM<Lda, LongX>(core); break;

    case 0xC1: ReadM<Cmp, IndexedIndirect>(core); break;
    case 0xC3: ReadM<Cmp, Stack>(core); break;
    case 0xC5: ReadM<Cmp, Direct>(core); break;
    case 0xC7: ReadM<Cmp, IndirectLong>(core); break;
    case 0xC9: ReadM<Cmp, Immediate>(core); break;
    case 0xCD: ReadM<Cmp, Absolute>(core); break;
    case 0xCF: ReadM<Cmp, Long>(core); break;
    case 0xD1: ReadM<Cmp, IndirectIndexed>(core); break;
    case 0xD2: ReadM<Cmp, Indirect>(core); break;
    case 0xD3: ReadM<Cmp, StackIndirectY>(core); break;
    case 0xD5: ReadM<Cmp, DirectX>(core); break;
    case 0xD7: ReadM<Cmp, IndirectLongY>(core); break;
    case 0xD9: ReadM<Cmp, AbsoluteY>(core); break;
    case 0xDD: ReadM<Cmp, AbsoluteX>(core); break;
    case 0xDF: ReadM<Cmp, LongX>(core); break;

    case 0xE1: ReadM<Sbc, IndexedIndirect>(core); break;
    case 0xE3: ReadM<Sbc, Stack>(core); break;
    case 0xE5: ReadM<Sbc, Direct>(core); break;
    case 0xE7: ReadM<Sbc, IndirectLong>(core); break;
    case 0xE9: ReadM<Sbc, Immediate>(core); break;
    case 0xED: ReadM<Sbc, Absolute>(core); break;
    case 0xEF: ReadM<Sbc, Long>(core); break;
    case 0xF1: ReadM<Sbc, IndirectIndexed>(core); break;
    case 0xF2: ReadM<Sbc, Indirect>(core); break;
    case 0xF3: ReadM<Sbc, StackIndirectY>(core); break;
    case 0xF5: ReadM<Sbc, DirectX>(core); break;
    case 0xF7: ReadM<Sbc, IndirectLongY>(core); break;
    case 0xF9: ReadM<Sbc, AbsoluteY>(core); break;
    case 0xFD: ReadM<Sbc, AbsoluteX>(core); break;
    case 0xFF: ReadM<Sbc, LongX>(core); break;

    case 0x24: ReadM<Bit, Direct>(core); break;
    case 0x2C: ReadM<Bit, Absolute>(core); break;
    case 0x34: ReadM<Bit, DirectX>(core); break;
    case 0x3C: ReadM<Bit, AbsoluteX>(core); break;
    case 0x89: ReadM<BitImmediate, Immediate>(core); break;

    case 0xA2: ReadX<Ldx, Immediate>(core); break;
    case 0xA6: ReadX<Ldx, Direct>(core); break;
    case 0xAE: ReadX<Ldx, Absolute>(core); break;
    case 0xB6: ReadX<Ldx, DirectY>(core); break;
    case 0xBE: ReadX<Ldx, AbsoluteY>(core); break;
    case 0xA0: ReadX<Ldy, Immediate>(core); break;
    case 0xA4: ReadX<Ldy, Direct>(core); break;
    case 0xAC: ReadX<Ldy, Absolute>(core); break;
    case 0xB4: ReadX<Ldy, DirectX>(core); break;
    case 0xBC: ReadX<Ldy, AbsoluteX>(core); break;
    case 0xE0: ReadX<Cpx, Immediate>(core); break;
    case 0xE4: ReadX<Cpx, Direct>(core); break;
    case 0xEC: ReadX<Cpx, Absolute>(core); break;
    case 0xC0: ReadX<Cpy, Immediate>(core); break;
    case 0xC4: ReadX<Cpy, Direct>(core); break;
    case 0xCC: ReadX<Cpy, Absolute>(core); break;

    case 0x81: Store<Source::A, IndexedIndirect>(core); break;
    case 0x83: Store<Source::A, Stack>(core); break;
    case 0x85: Store<Source::A, Direct>(core); break;
    case 0x87: Store<Source::A, IndirectLong>(core); break;
    case 0x8D: Store<Source::A, Absolute>(core); break;
    case 0x8F: Store<Source::A, Long>(core); break;
    case 0x91: Store<Source::A, IndirectIndexed>(core); break;
    case 0x92: Store<Source::A, Indirect>(core); break;
    case 0x93: Store<Source::A, StackIndirectY>(core); break;
    case 0x95: Store<Source::A, DirectX>(core); break;
    case 0x97: Store<Source::A, IndirectLongY>(core); break;
    case 0x99: Store<Source::A, AbsoluteY>(core); break;
    case 0x9D: Store<Source::A, AbsoluteX>(core); break;
    case 0x9F: Store<Source::A, LongX>(core); break;
    case 0x86: Store<Source::X, Direct>(core); break;
    case 0x8E: Store<Source::X, Absolute>(core); break;
    case 0x96: Store<Source::X, DirectY>(core); break;
    case 0x84: Store<Source::Y, Direct>(core); break;
    case 0x8C: Store<Source::Y, Absolute>(core); break;
    case 0x94: Store<Source::Y, DirectX>(core); break;
    case 0x64: Store<Source::Zero, Direct>(core); break;
    case 0x74: Store<Source::Zero, DirectX>(core); break;
    case 0x9C: Store<Source::Zero, Absolute>(core); break;
    case 0x9E: Store<Source::Zero, AbsoluteX>(core); break;

    case 0x06: ModifyM<Asl, Direct>(core); break;
    case 0x0E: ModifyM<Asl, Absolute>(core); break;
    case 0x16: ModifyM<Asl, DirectX>(core); break;
    case 0x1E: ModifyM<Asl, AbsoluteX>(core); break;
    case 0x46: ModifyM<Lsr, Direct>(core); break;
    case 0x4E: ModifyM<Lsr, Absolute>(core); break;
    case 0x56: ModifyM<Lsr, DirectX>(core); break;
    case 0x5E: ModifyM<Lsr, AbsoluteX>(core); break;
    case 0x26: ModifyM<Rol, Direct>(core); break;
    case 0x2E: ModifyM<Rol, Absolute>(core); break;
    case 0x36: ModifyM<Rol, DirectX>(core); break;
    case 0x3E: ModifyM<Rol, AbsoluteX>(core); break;
    case 0x66: ModifyM<Ror, Direct>(core); break;
    case 0x6E: ModifyM<Ror, Absolute>(core); break;
    case 0x76: ModifyM<Ror, DirectX>(core); break;
    case 0x7E: ModifyM<Ror, AbsoluteX>(core); break;
    case 0xE6: ModifyM<Inc, Direct>(core); break;
    case 0xEE: ModifyM<Inc, Absolute>(core); break;
    case 0xF6: ModifyM<Inc, DirectX>(core); break;
    case 0xFE: ModifyM<Inc, AbsoluteX>(core); break;
    case 0xC6: ModifyM<Dec, Direct>(core); break;
    case 0xCE: ModifyM<Dec, Absolute>(core); break;
    case 0xD6: ModifyM<Dec, DirectX>(core); break;
    case 0xDE: ModifyM<Dec, AbsoluteX>(core); break;
    case 0x04: ModifyM<Tsb, Direct>(core); break;
    case 0x0C: ModifyM<Tsb, Absolute>(core); break;
    case 0x14: ModifyM<Trb, Direct>(core); break;
    case 0x1C: ModifyM<Trb, Absolute>(core); break;
    case 0x0A: ModifyA<Asl>(core); break;
    case 0x4A: ModifyA<Lsr>(core); break;
    case 0x2A: ModifyA<Rol>(core); break;
    case 0x6A: ModifyA<Ror>(core); break;
    case 0x1A: ModifyA<Inc>(core); break;
    case 0x3A: ModifyA<Dec>(core); break;
    case 0xE8: ModifyIndex<Inc>(core, r.x); break;
    case 0xC8: ModifyIndex<Inc>(core, r.y); break;
    case 0xCA: ModifyIndex<Dec>(core, r.x); break;
    case 0x88: ModifyIndex<Dec>(core, r.y); break;

    case 0x10: Branch(core, !IsSet(core, FLAG_N)); break;  // BPL
    case 0x30: Branch(core, IsSet(core, FLAG_N)); break;   // BMI
    case 0x50: Branch(core, !IsSet(core, FLAG_V)); break;  // BVC
    case 0x70: Branch(core, IsSet(core, FLAG_V)); break;   // BVS
    case 0x80: Branch(core, true); break;                  // BRA
    case 0x90: Branch(core, !IsSet(core, FLAG_C)); break;  // BCC
    case 0xB0: Branch(core, IsSet(core, FLAG_C)); break;   // BCS
    case 0xD0: Branch(core, !IsSet(core, FLAG_Z)); break;  // BNE
    case 0xF0: Branch(core, IsSet(core, FLAG_Z)); break;   // BEQ
    case 0x82: BranchLong(core); break;                    // BRL
    case 0x4C: r.pc = Fetch16(core); break;                // JMP a
    case 0x5C: JumpLong(core, Fetch24(core)); break;       // JML l
    case 0x6C: JumpIndirect(core); break;                  // JMP (a)
    case 0x7C: JumpIndexedIndirect(core); break;           // JMP (a,X)
    case 0xDC: JumpIndirectLong(core); break;              // JML [a]
    case 0x20: CallShort(core); break;                     // JSR a
    case 0xFC: CallIndexedIndirect(core); break;           // JSR (a,X)
    case 0x22: CallLong(core); break;                      // JSL l
    case 0x60: ReturnShort(core); break;                   // RTS
    case 0x6B: ReturnLong(core); break;                    // RTL
    case 0x40: ReturnFromInterrupt(core); break;           // RTI

    case 0x18: SetFlag(core, FLAG_C, false); break;  // CLC
    case 0x38: SetFlag(core, FLAG_C, true); break;   // SEC
    case 0x58: SetFlag(core, FLAG_I, false); break;  // CLI
    case 0x78: SetFlag(core, FLAG_I, true); break;   // SEI
    case 0xD8: SetFlag(core, FLAG_D, false); break;  // CLD
    case 0xF8: SetFlag(core, FLAG_D, true); break;   // SED
    case 0xB8: SetFlag(core, FLAG_V, false); break;  // CLV
    case 0xC2: ResetStatus(core); break;             // REP
    case 0xE2: SetStatus(core); break;               // SEP
    case 0xFB: ExchangeCarryEmulation(core); break;  // XCE

    case 0xAA: TransferX(core, r.a, r.x); break;                  // TAX
    case 0xA8: TransferX(core, r.a, r.y); break;                  // TAY
    case 0xBA: TransferX(core, r.s, r.x); break;                  // TSX
    case 0x9B: TransferX(core, r.x, r.y); break;                  // TXY
    case 0xBB: TransferX(core, r.y, r.x); break;                  // TYX
    case 0x8A: TransferM(core, r.x, r.a); break;                  // TXA
    case 0x98: TransferM(core, r.y, r.a); break;                  // TYA
    case 0x9A: SetStackPointer(core, r.x); break;                 // TXS
    case 0x1B: SetStackPointer(core, r.a); break;                 // TCS
    case 0x3B: Transfer<Word>(core, r.s, r.a); break;             // TSC
    case 0x5B: Transfer<Word>(core, r.a, r.d); break;             // TCD
    case 0x7B: Transfer<Word>(core, r.d, r.a); break;             // TDC
    case 0xEB: ExchangeAccumulatorBytes(core); break;             // XBA

    case 0x48: PushM(core, r.a); break;                           // PHA
    case 0xDA: PushX(core, r.x); break;                           // PHX
    case 0x5A: PushX(core, r.y); break;                           // PHY
    case 0x08: Push8(core, r.p); break;                           // PHP
    case 0x8B: Push8(core, r.db); break;                          // PHB
    case 0x4B: Push8(core, r.pb); break;                          // PHK
    case 0x0B: PushWideValue(core, r.d); break;                   // PHD
    case 0xF4: PushWideValue(core, Fetch16(core)); break;         // PEA
    case 0xD4: PushIndirect(core); break;                         // PEI
    case 0x62: PushRelative(core); break;                         // PER
    case 0x68: PullM(core, r.a); break;                           // PLA
    case 0xFA: PullX(core, r.x); break;                           // PLX
    case 0x7A: PullX(core, r.y); break;                           // PLY
    case 0x28: PullStatus(core); break;                           // PLP
    case 0xAB: PullDataBank(core); break;                         // PLB
    case 0x2B: PullDirectPage(core); break;                       // PLD

    case 0x54: MoveBlock<MoveDirection::Up>(core); break;         // MVN
    case 0x44: MoveBlock<MoveDirection::Down>(core); break;       // MVP
    case 0x42: ++r.pc; break;                                     // WDM
    case 0xEA: break;                                             // NOP
      // clang-format on
  }
  return true;
}

StopReason StopOf(std::uint8_t opcode) {
  switch (opcode) {
    case 0x00:
      return StopReason::Break;
    case 0x02:
      return StopReason::Coprocessor;
    case 0xDB:
      return StopReason::Stopped;
    default:
      return StopReason::Waiting;
  }
}

// Whether the stack pointer has risen above `level`, counted around the
// stack's own wrap: 16 bits, or page 1 in emulation mode.
bool RoseAbove(const Registers& r, std::uint16_t level) {
  if (r.emulation) {
    return static_cast<std::int8_t>(r.s - level) > 0;
  }
  return static_cast<std::int16_t>(r.s - level) > 0;
}

// The instructions that can move the stack pointer up: pulls, returns, TCS,
// TXS and XCE. Only after them can a routine have returned.
constexpr std::array<bool, 256> RAISES_STACK = [] {
  std::array<bool, 256> raises{};
  for (const std::uint8_t opcode :
       {0x60, 0x6B, 0x40, 0x68, 0xFA, 0x7A, 0x28, 0xAB, 0x2B, 0x1B, 0x9A, 0xFB}) {
    raises.at(opcode) = true;
  }
  return raises;
}();

// DMA counts against the budget, one instruction for every 8 bytes it moves
// (about its time on the console), so that code that starts transfer after
// transfer ends too.
constexpr unsigned DMA_BYTES_PER_INSTRUCTION_SHIFT = 3;

// Runs until a stop or the budget's end, or, with a `returnLevel`, until the
// stack pointer rises above it.
RunResult Run(Machine& machine, std::uint64_t budget, std::optional<std::uint16_t> returnLevel) {
  MemoryView memory = ViewMemory(machine.bus);
  Core core{memory, machine.cpu};
  RunResult result;
  result.reason = StopReason::BudgetExhausted;
  result.address = ProgramAddress(core);
  std::uint64_t count = 0;
  const std::uint64_t dmaBefore = machine.bus.dmaBytes;
  while (count + ((machine.bus.dmaBytes - dmaBefore) >> DMA_BYTES_PER_INSTRUCTION_SHIFT) < budget) {
    const std::uint32_t at = ProgramAddress(core);
    const std::uint8_t opcode = Fetch8(core);
    if (!Execute(core, opcode)) {
      result.reason = StopOf(opcode);
      result.address = at;
      break;
    }
    ++count;
    result.address = at;
    if (RAISES_STACK.at(opcode) && returnLevel && RoseAbove(core.r, *returnLevel)) {
      result.reason = StopReason::Returned;
      break;
    }
  }
  machine.cpu = core.r;
  machine.instructions += count;
  result.instructions = count;
  return result;
}

}  // namespace

StopReason Step(Machine& machine) { return Run(machine, 1, std::nullopt).reason; }

RunResult CallRoutine(Machine& machine, std::uint32_t address, CallKind kind,
                      std::uint64_t budget) {
  MemoryView memory = ViewMemory(machine.bus);
  Core core{memory, machine.cpu};
  const auto returnTo = static_cast<std::uint16_t>(core.r.pc - 1);
  if (kind == CallKind::Long) {
    PushWide8(core, core.r.pb);
    PushWide16(core, returnTo);
    EndWideStack(core);
  } else {
    Push<std::uint16_t>(core, returnTo);
  }
  JumpLong(core, address);
  machine.cpu = core.r;
  return Run(machine, budget, core.r.s);
}

const char* DescribeStop(StopReason reason) {
  switch (reason) {
    case StopReason::Returned:
      return "returned";
    case StopReason::BudgetExhausted:
      return "no return";
    case StopReason::Break:
      return "BRK";
    case StopReason::Coprocessor:
      return "COP";
    case StopReason::Stopped:
      return "STP";
    case StopReason::Waiting:
      return "WAI";
  }
  return "stop";
}

std::string DescribeRun(const RunResult& result, std::uint64_t budget) {
  char line[96];
  if (result.reason == StopReason::BudgetExhausted) {
    std::snprintf(line, sizeof line, "no return within %ju instructions",
                  static_cast<std::uintmax_t>(budget));
  } else {
    std::snprintf(line, sizeof line, "%s at $%02X:%04X", DescribeStop(result.reason),
                  static_cast<unsigned>(result.address >> 16),
                  static_cast<unsigned>(result.address & 0xFFFF));
  }
  return line;
}
