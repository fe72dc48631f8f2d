#include "picture/room_load_check.h"

#include <algorithm>

#include "picture/drawing_machine.h"
#include "rom/format.h"
#include "rom/snes_address.h"

namespace {

constexpr std::uint8_t RTS = 0x60;

// The object slots: a word each, 16 of them.
constexpr std::uint32_t SLOT_KINDS = 0x0500;   // 0 for a pushable block
constexpr std::uint32_t SLOTS_END = 0x042E;    // byte offset past the last torch slot
constexpr std::uint32_t TORCH_SLOTS = 0x0478;  // byte offset of the first torch slot
// Where $02:DAF0 copies the tables: entries of a room word and a block word,
// and groups of a room word, torch words and $FFFF.
constexpr std::uint32_t BLOCK_TABLE = 0xF940;
constexpr std::uint32_t TORCH_TABLE = 0xFB40;

static_assert(std::all_of(LOAD_REGIONS.begin(), LOAD_REGIONS.end(), [](const LoadRegion& region) {
  return region.start + region.length <= WORK_RAM_SIZE && region.length % region.entrySize == 0;
}));

std::uint32_t WorkRamWord(const Bus& bus, std::uint32_t offset) {
  return bus.workRam.at(offset) | static_cast<std::uint32_t>(bus.workRam.at(offset + 1)) << 8;
}

std::uint32_t Entry(const Bus& bus, const LoadRegion& region, std::uint32_t entry) {
  const std::uint32_t offset = region.start + entry * region.entrySize;
  return region.entrySize == 2 ? WorkRamWord(bus, offset) : bus.workRam.at(offset);
}

// What object slot `slot` points at: the block word of a pushable block's
// table entry, the torch word of a torch, or the pointer itself (for the
// other objects, the place of the object in the room's data).
std::uint32_t SlotTarget(const Bus& bus, std::uint32_t slot, std::uint32_t pointer) {
  const std::uint32_t offset = 2 * slot;
  if (offset < WorkRamWord(bus, TORCH_SLOTS)) {
    if (WorkRamWord(bus, SLOT_KINDS + offset) != 0) return pointer;
    return WorkRamWord(bus, BLOCK_TABLE + pointer + 2);
  }
  if (offset < WorkRamWord(bus, SLOTS_END)) return WorkRamWord(bus, TORCH_TABLE + pointer);
  return pointer;
}

std::uint32_t Compared(const Bus& bus, const LoadRegion& region, std::uint32_t entry) {
  const std::uint32_t value = Entry(bus, region, entry);
  return region.kind == RegionKind::SlotPointers ? SlotTarget(bus, entry, value) : value;
}

bool RegionsDiffer(const Bus& first, const Bus& second, const LoadRegion& region) {
  const auto begin = first.workRam.begin() + region.start;
  return !std::equal(begin, begin + region.length, second.workRam.begin() + region.start);
}

}  // namespace

bool IsTreatedApart(int room) {
  return std::any_of(ROOMS_TREATED_APART.begin(), ROOMS_TREATED_APART.end(),
                     [room](const RoomTreatedApart& apart) { return apart.room == room; });
}

std::string MissingLoadingCode(const RomImage& rom) {
  for (const GameRoutine& routine : LOADING_ROUTINES) {
    if (!HoldsAt(rom, SnesToPc(routine.address), routine.firstBytes)) {
      return Format("%s does not hold the game's %s at $%02X:%04X", rom.name.c_str(), routine.name,
                    static_cast<unsigned>(routine.address >> 16),
                    static_cast<unsigned>(routine.address & 0xFFFF));
    }
  }
  return "";
}

void PrepareRoomLoader(RoomLoader& loader, std::span<const std::uint8_t> rom) {
  const std::span<const std::uint8_t> mapped = rom.first(std::min(rom.size(), LOROM_MAP_LIMIT));
  loader.code.assign(mapped.begin(), mapped.end());
  loader.code.at(SnesToPc(NEIGHBOUR_DOORS_ROUTINE.address)) = RTS;
  loader.prepared = PrepareDrawingMachine(loader.code);
  loader.machine = loader.prepared;
}

RoomLoad LoadRoom(RoomLoader& loader, int room) {
  StartRoom(loader.machine, loader.prepared, room);
  RoomLoad load;
  for (const GameRoutine& routine : LOAD_CALLS) {
    const RunResult result =
        CallRoutine(loader.machine, routine.address, routine.call, LOAD_BUDGET);
    load.instructions += result.instructions;
    if (result.reason != StopReason::Returned) {
      load.stop = Format("%s: %s", routine.name, DescribeRun(result, LOAD_BUDGET).c_str());
      return load;
    }
  }
  load.loaded = true;
  return load;
}

LoadDifference FirstLoadDifference(const Bus& first, const Bus& second) {
  for (const LoadRegion& region : LOAD_REGIONS) {
    if (region.kind != RegionKind::SlotPointers && !RegionsDiffer(first, second, region)) continue;
    for (std::uint32_t entry = 0; entry < region.length / region.entrySize; ++entry) {
      const std::uint32_t a = Compared(first, region, entry);
      const std::uint32_t b = Compared(second, region, entry);
      if (a != b) return LoadDifference{&region, entry, a, b};
    }
  }
  return LoadDifference{};
}
