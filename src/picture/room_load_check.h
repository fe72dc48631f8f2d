// A room loaded as the game loads it, for comparing two loads: the ROM's own
// $02:DAF0 (the pushable block and torch tables into work RAM) and
// Underworld_LoadRoom ($01:873A) run in the interpreter from the prepared
// work RAM of the room pictures, and what they leave in work RAM compared
// place by place with another load, of another room or by another ROM.
//
// Compared (LOAD_REGIONS): both tilemap buffers and the work-RAM tables the
// load fills for the room: its header fields, the room and door state, the
// object tables, the door tables and the object slots, where the pushable
// block and torch slots are compared as the table entries they point at
// (their offsets into the tables differ from ROM to ROM). Not compared: what
// holds ROM addresses of the data read (the pointers at $00-$0F and
// $B7-$B9), the stack, the room number ($A0, $048E) and $0110 (three times
// it, an index into the pointer tables), and the load's scratch places.
//
// The neighbour look: Underworld_LoadHeader calls
// Underworld_CheckAdjacentRoomsForOpenDoors ($01:B759) for each of the four
// rooms around the room (by number: one less, one more, 16 less, 16 more)
// to open the doors they share. A room moved to another number has other
// neighbours, so the interpreter runs a copy of the ROM whose routine returns
// at once (an RTS on its first byte): both loads leave the room's own doors.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "cpu/cpu.h"
#include "picture/drawing_routines.h"
#include "rom/byte_list.h"
#include "rom/rom_image.h"

// STA $04; JSR Underworld_LoadAdjacentRoomDoors ($B7EF)
inline constexpr std::array<std::uint8_t, 5> NEIGHBOUR_DOORS_BYTES = {0x85, 0x04, 0x20, 0xEF, 0xB7};
inline constexpr GameRoutine NEIGHBOUR_DOORS_ROUTINE = {
    "Underworld_CheckAdjacentRoomsForOpenDoors", 0x01B759, CallKind::Short, NEIGHBOUR_DOORS_BYTES};

// What a load runs, in order: the first two of the drawing routines.
inline constexpr std::array<GameRoutine, 2> LOAD_CALLS = {DRAWING_ROUTINES.at(0),
                                                          DRAWING_ROUTINES.at(1)};
// Those and the routine the load cuts out: the ROM must hold the game's
// first bytes of each.
inline constexpr std::array<GameRoutine, 3> LOADING_ROUTINES = {LOAD_CALLS.at(0), LOAD_CALLS.at(1),
                                                                NEIGHBOUR_DOORS_ROUTINE};

// Each may run this many instructions: the game's own loading of a room is a
// part of the 0.4 to 1.8 million instructions its whole drawing takes.
constexpr std::uint64_t LOAD_BUDGET = 5'000'000;

constexpr std::uint32_t TILEMAP_COLUMNS = 64;

enum class RegionKind {
  Tilemap,       // 64 x 64 entries vhopppcc cccccccc, a row after another
  Table,         // entries of entrySize bytes
  SlotPointers,  // a word per object slot: the block's offset into the pushable block
                 // table, the torch's into the torch table, for other objects the
                 // place of the object in the room's data
};

struct LoadRegion {
  const char* name;     // a tilemap's layer, a table's name
  std::uint32_t start;  // offset in work RAM ($7E:0000 is 0)
  std::uint32_t length;
  std::uint32_t entrySize;  // 1 or 2 bytes
  RegionKind kind;
};

// The compared places, in the order a difference is looked for.
inline constexpr std::array<LoadRegion, 24> LOAD_REGIONS = {{
    {"BG2", 0x2000, 0x2000, 2, RegionKind::Tilemap},  // uploaded to VRAM word $0000
    {"BG1", 0x4000, 0x2000, 2, RegionKind::Tilemap},  // to VRAM word $1000
    // The header, as Underworld_LoadHeader spreads its 14 bytes.
    {"header: layer effect", 0x0414, 1, 1, RegionKind::Table},            // byte 0, bits 5-7
    {"header: collision", 0x046C, 1, 1, RegionKind::Table},               // byte 0, bits 2-4
    {"header: darkness", 0xC005, 1, 1, RegionKind::Table},                // byte 0, bit 0
    {"header: palettes", 0x0AB6, 1, 1, RegionKind::Table},                // byte 1, through the
    {"header: palettes", 0x0AAC, 3, 1, RegionKind::Table},                // table of palette sets
    {"header: blockset and spriteset", 0x0AA2, 2, 1, RegionKind::Table},  // bytes 2 and 3
    {"header: effect and tags", 0x00AD, 3, 1, RegionKind::Table},         // bytes 4 to 6
    {"header: stair planes", 0x063C, 5, 1, RegionKind::Table},            // bytes 7 and 8
    {"header: destinations", 0xC000, 5, 1, RegionKind::Table},            // bytes 9 to 13
    // Door flags ($0400-$0409), the layout ($040E) and the counters and
    // lists of the objects drawn; $048E, the room number, is left out.
    {"room state", 0x0400, 0x14, 2, RegionKind::Table},
    {"room state", 0x0416, 0x56, 2, RegionKind::Table},
    {"room state", 0x046E, 0x20, 2, RegionKind::Table},
    {"room state", 0x0490, 0x30, 2, RegionKind::Table},
    // Pots, pegs, pushable blocks and torches: kind, place and the tiles under them.
    {"object slots", 0x04F0, 0x30, 2, RegionKind::Table},
    {"object slot pointers", 0x0520, 0x20, 2, RegionKind::SlotPointers},
    {"object slots", 0x0540, 0xA0, 2, RegionKind::Table},
    // Water, star switches, stairs, layer and dungeon toggle doors, chests;
    // the open doors ($068C).
    {"object tables", 0x0680, 0x80, 2, RegionKind::Table},
    {"door tables", 0x1980, 0x6A, 2, RegionKind::Table},
    {"colour math", 0x0099, 2, 1, RegionKind::Table},  // CGWSEL and CGADSUB, set by some stairs
    {"direct page", 0x00A7, 1, 1, RegionKind::Table},
    {"direct page", 0x00FC, 2, 1, RegionKind::Table},
    {"moving wall", 0xC880, 0x80, 2, RegionKind::Table},
}};

// The rooms the loading code treats apart by number: the one comparison of
// the room number with a constant on the path of the load (besides the
// neighbour look's, which is cut out).
struct RoomTreatedApart {
  int room;
  const char* why;
};
inline constexpr std::array<RoomTreatedApart, 1> ROOMS_TREATED_APART = {{
    {0x65, "RoomDraw_BombableFloor draws its floor open when the room's flag says so"},
}};

bool IsTreatedApart(int room);

// Empty when `rom` holds the game's first bytes of every loading routine;
// otherwise why not: "NAME does not hold the game's ROUTINE at $BB:AAAA".
std::string MissingLoadingCode(const RomImage& rom);

// What loads rooms of one ROM: a copy of its bytes with the neighbour look
// cut out, the machine every load starts from and the machine it runs in.
// The machines address the copy, so a loader is moved, never copied.
struct RoomLoader {
  ByteList code;
  Machine prepared;
  Machine machine;

  RoomLoader() = default;
  RoomLoader(const RoomLoader&) = delete;
  RoomLoader& operator=(const RoomLoader&) = delete;
  RoomLoader(RoomLoader&&) = default;
  RoomLoader& operator=(RoomLoader&&) = default;
};

// A loader for the headerless image `rom`, which must hold the code
// (MissingLoadingCode).
void PrepareRoomLoader(RoomLoader& loader, std::span<const std::uint8_t> rom);

struct RoomLoad {
  bool loaded = false;
  std::string stop;  // when not loaded: "ROUTINE: BRK at $01:9000", "ROUTINE: no return within N
                     // instructions"
  std::uint64_t instructions = 0;
};

// Loads `room` (0-319) into the loader's machine.
RoomLoad LoadRoom(RoomLoader& loader, int room);

// The first place in LOAD_REGIONS where two loads differ.
struct LoadDifference {
  const LoadRegion* region = nullptr;  // nullptr: the loads agree everywhere
  std::uint32_t entry = 0;             // in the region
  std::uint32_t first = 0;             // the entry in each load (for slot pointers:
  std::uint32_t second = 0;            // the entry each points at)
};

LoadDifference FirstLoadDifference(const Bus& first, const Bus& second);
