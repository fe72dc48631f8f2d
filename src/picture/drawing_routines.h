// The game's routines that load and draw an underworld room, in the order the
// game runs them, each called from the machine the previous one left:
//
//   $02:DAF0  JSR  the tail of Underworld_LoadEntrance_DoPotsBlocksTorches:
//                  copies the pushable block and torch tables into work RAM
//   $01:873A  JSL  Underworld_LoadRoom: the header, then the layout, objects
//                  and doors drawn into the tilemap buffers $7E:2000 (BG2)
//                  and $7E:4000 (BG1)
//   $00:E19B  JSL  InitializeTilesets: the header's graphics sets into VRAM
//   $02:C630  JSR  Underworld_LoadPalettes: the colours into $7E:C500
//
// and Underworld_ResetTorchBackgroundAndPlayer ($02:8AEF), which is not run:
// it sets the main and sub screen layers from the table its third
// instruction reads. Before anything runs, the ROM must hold each routine's
// first instructions as the game has them.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "cpu/cpu.h"
#include "picture/room_picture.h"
#include "rom/rom_image.h"

// Each routine may run this many instructions; the game's code needs 0.4 to
// 1.8 million for all four together.
constexpr std::uint64_t DRAWING_BUDGET = 20'000'000;

struct GameRoutine {
  const char* name;
  std::uint32_t address;  // 24-bit SNES address
  CallKind call;
  std::span<const std::uint8_t> firstBytes;
};

// PHB; LDA #$7E; PHA; PLB
inline constexpr std::array<std::uint8_t, 5> BLOCK_AND_TORCH_COPY_BYTES = {0x8B, 0xA9, 0x7E, 0x48,
                                                                           0xAB};
// JSR Underworld_LoadHeader ($B564); STZ $03F4
inline constexpr std::array<std::uint8_t, 6> LOAD_ROOM_BYTES = {0x20, 0x64, 0xB5, 0x9C, 0xF4, 0x03};
// PHB; PHK; PLB; LDA #$80; STA VMAIN
inline constexpr std::array<std::uint8_t, 8> INITIALIZE_TILESETS_BYTES = {0x8B, 0x4B, 0xAB, 0xA9,
                                                                          0x80, 0x8D, 0x15, 0x21};
// STZ $0AA9; JSL
inline constexpr std::array<std::uint8_t, 4> LOAD_PALETTES_BYTES = {0x9C, 0xA9, 0x0A, 0x22};
// LDY #$16; LDX $0414; LDA long,X (the operand: the table of sub screen layers)
inline constexpr std::array<std::uint8_t, 6> SCREEN_LAYERS_BYTES = {0xA0, 0x16, 0xAE,
                                                                    0x14, 0x04, 0xBF};

inline constexpr std::array<GameRoutine, 4> DRAWING_ROUTINES = {{
    {"Underworld_LoadEntrance_DoPotsBlocksTorches", 0x02DAF0, CallKind::Short,
     BLOCK_AND_TORCH_COPY_BYTES},
    {"Underworld_LoadRoom", 0x01873A, CallKind::Long, LOAD_ROOM_BYTES},
    {"InitializeTilesets", 0x00E19B, CallKind::Long, INITIALIZE_TILESETS_BYTES},
    {"Underworld_LoadPalettes", 0x02C630, CallKind::Short, LOAD_PALETTES_BYTES},
}};

inline constexpr GameRoutine SCREEN_LAYERS_ROUTINE = {
    "Underworld_ResetTorchBackgroundAndPlayer", 0x028AEF, CallKind::Short, SCREEN_LAYERS_BYTES};

// Stops the run at the first routine whose first bytes are not the game's.
void CheckDrawingCode(const RomImage& rom);

// The 24-bit address of the table of sub screen layers by room effect, the
// operand of the routine's LDA long,X.
std::uint32_t ScreenLayerTableAddress(RomImage& rom);

// Runs the four routines on `machine`, prepared for `room`, adding what they
// ran to `counts`; stops the run with one line naming the ROM, the routine
// and the room when one does not return.
void RunDrawingRoutines(Machine& machine, const RomImage& rom, int room, DrawingCounts& counts);
