#include "app/layout_checks.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/all_rooms.h"
#include "rom/failure.h"
#include "tables/room_doors.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_messages.h"

namespace {

// Bank 0x7E starts here in this mapping: work RAM, not ROM.
constexpr std::int64_t WORK_RAM_START = 0x3F0000;

struct InPlaceTable {
  const char* name;
  std::int64_t offset;
  std::int64_t size;
};

std::vector<InPlaceTable> InPlaceTables(RomImage& destination) {
  std::vector<InPlaceTable> tables = {
      {"room header pointer table", HeaderTableOffset(destination), HEADER_TABLE_SIZE},
      {"layer pointer table", LayerTableOffset(destination), LAYER_TABLE_SIZE},
      {"item pointer table", ItemTableOffset(destination), ITEM_TABLE_SIZE},
      {"message table", MessageTableOffset(destination), MESSAGE_TABLE_SIZE},
  };
  if (const std::optional<std::uint32_t> doors = DoorTableOffset(destination)) {
    tables.push_back({"door pointer table", *doors, DOOR_TABLE_SIZE});
  }
  return tables;
}

void CheckTablesOutsideArea(RomImage& destination, std::int64_t end) {
  for (const InPlaceTable& table : InPlaceTables(destination)) {
    if (table.offset < end && table.offset + table.size > RELOCATION_START) {
      StopRun(
          Format("%s: the %s at offset 0x%llX lies where the relocated room data go "
                 "(0x%llX to 0x%llX); it would be overwritten.\n",
                 destination.name.c_str(), table.name, static_cast<long long>(table.offset),
                 static_cast<long long>(RELOCATION_START), static_cast<long long>(end)));
    }
  }
}

void CheckAreaBelowWorkRam(const RomImage& out, std::int64_t end) {
  if (end > WORK_RAM_START) {
    StopRun(Format(
        "%s: the relocated room data would end at offset 0x%llX, past 0x%llX where "
        "the console's work RAM begins; they do not fit in the ROM.\n",
        out.name.c_str(), static_cast<long long>(end), static_cast<long long>(WORK_RAM_START)));
  }
}

bool CarriesMarker(const RomImage& destination) {
  const std::string marker = MARKER_TEXT;
  if (ImageSize(destination) < RELOCATION_START + static_cast<std::int64_t>(marker.size())) {
    return false;
  }
  return std::equal(marker.begin(), marker.end(), destination.bytes.begin() + RELOCATION_START);
}

void CheckAreaUnused(const RomImage& destination, std::int64_t end) {
  if (CarriesMarker(destination)) {
    return;
  }
  const std::int64_t last = std::min(end, ImageSize(destination));
  for (std::int64_t offset = RELOCATION_START; offset < last; ++offset) {
    const std::uint8_t byte = destination.bytes[static_cast<std::size_t>(offset)];
    if (byte != 0x00 && byte != 0xFF) {
      StopRun(
          Format("%s: offset 0x%llX, where the relocated room data go (0x%llX to 0x%llX), "
                 "holds data (0x%02X), perhaps another tool's; it would be overwritten.\n",
                 destination.name.c_str(), static_cast<long long>(offset),
                 static_cast<long long>(RELOCATION_START), static_cast<long long>(end), byte));
    }
  }
}

}  // namespace

std::int64_t RelocatedAreaEnd(const RomImage& out) {
  std::int64_t end = RELOCATION_START;
  for (const PlacedBlock& block : out.placedBlocks) {
    end = std::max(end, block.end);
  }
  return end;
}

void CheckRelocatedLayout(RomImage& destination, const RomImage& out) {
  const std::int64_t end = RelocatedAreaEnd(out);
  CheckTablesOutsideArea(destination, end);
  CheckAreaBelowWorkRam(out, end);
  CheckAreaUnused(destination, end);
}
