#include "app/job/layout_checks.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "rom/failure.h"
#include "rom/format.h"
#include "tables/game_code.h"
#include "tables/room_doors.h"
#include "tables/room_headers.h"
#include "tables/room_items.h"
#include "tables/room_layers.h"
#include "tables/room_messages.h"
#include "tables/room_sprites.h"
#include "tables/torches.h"

namespace {

std::vector<InPlaceTable> InPlaceTables(RomImage& destination, const OutputLayout& layout) {
  std::vector<InPlaceTable> tables = {
      {"room header pointer table", HeaderTableOffset(destination), HEADER_TABLE_SIZE},
      {"layer pointer table", LayerTableOffset(destination), LAYER_TABLE_SIZE},
      {"item pointer table", ItemTableOffset(destination), ITEM_TABLE_SIZE},
      {"message table", MessageTableOffset(destination), MESSAGE_TABLE_SIZE},
  };
  if (const std::optional<std::uint32_t> doors = DoorTableOffset(destination)) {
    tables.push_back({"door pointer table", *doors, DOOR_TABLE_SIZE});
  }
  if (layout.kind == LayoutKind::Editable) {
    const ListRegion& sprites = layout.spriteLists;
    const ListRegion& items = layout.itemLists;
    tables.push_back(
        {"sprite pointer table", GameSpriteTableOffset(destination), SPRITE_TABLE_SIZE});
    tables.push_back({"sprite list region", sprites.start, sprites.end - sprites.start});
    tables.push_back({"item list region", items.start, items.end - items.start});
    tables.push_back({"torch table", GAME_TORCH_TABLE, GAME_TORCH_SPACE});
  }
  return tables;
}

void CheckTablesOutsideArea(const DestinationFacts& destination, const OutputLayout& layout,
                            std::int64_t end) {
  for (const InPlaceTable& table : destination.inPlaceTables) {
    if (table.offset < end && table.offset + table.size > layout.base) {
      StopRun(
          Format("%s: the %s at offset 0x%llX lies where the relocated room data go "
                 "(0x%llX to 0x%llX); it would be overwritten.\n",
                 destination.name.c_str(), table.name, static_cast<long long>(table.offset),
                 static_cast<long long>(layout.base), static_cast<long long>(end)));
    }
  }
}

// Names the destination ROM, whose rooms do not fit: the output is never written.
void CheckAreaBelowWorkRam(const DestinationFacts& destination, std::int64_t end) {
  if (end > WORK_RAM_START) {
    StopRun(
        Format("%s: the relocated room data would end at offset 0x%llX, past 0x%llX where "
               "the console's work RAM begins; they do not fit in the ROM.\n",
               destination.name.c_str(), static_cast<long long>(end),
               static_cast<long long>(WORK_RAM_START)));
  }
}

void CheckAreaUnused(const DestinationFacts& destination, const OutputLayout& layout,
                     std::int64_t end) {
  if (!destination.carriesMarker && destination.firstDataOffset >= 0 &&
      destination.firstDataOffset < end) {
    StopRun(
        Format("%s: offset 0x%llX, where the relocated room data go (0x%llX to 0x%llX), "
               "holds data (0x%02X), perhaps another tool's; it would be overwritten.\n",
               destination.name.c_str(), static_cast<long long>(destination.firstDataOffset),
               static_cast<long long>(layout.base), static_cast<long long>(end),
               destination.firstDataByte));
  }
}

// Bytes of the game's code that the tool reads from the output or patches
// there: the instructions in front of the fixed fields with their operands,
// the sprite table code, the enemy-death check and the door table loads.
struct CodeBytes {
  std::string name;
  std::int64_t offset;
  std::int64_t size;
};

std::int64_t OperandSize(std::uint8_t opcode) {
  switch (opcode) {
    case LDA_IMMEDIATE_OPCODE:  // LDA #bank (8-bit)
      return 1;
    case LDA_LONG_X_OPCODE:
    case CMP_LONG_X_OPCODE:
      return 3;
    default:  // LDX, CPX, CMP immediate (16-bit); LDA abs,Y
      return 2;
  }
}

std::vector<CodeBytes> CodeTheToolUses() {
  std::vector<CodeBytes> code;
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) {
    code.push_back(
        {std::string(check.field) + " code", check.offset, 1 + OperandSize(check.opcode)});
  }
  code.push_back({"sprite table code", SPRITE_CODE_FIELD, 4});
  code.push_back({"enemy death check code", DEATH_MASK_CODE,
                  static_cast<std::int64_t>(DEATH_MASK_OPERAND - DEATH_MASK_CODE + 2)});
  for (const DoorTableLoad& load : DOOR_TABLE_LOADS) {
    code.push_back({"door table code", load.opcodeOffset, DOOR_TABLE_LOAD_SIZE});
  }
  return code;
}

bool Overlap(std::int64_t first, std::int64_t firstSize, std::int64_t second,
             std::int64_t secondSize) {
  return first < second + secondSize && second < first + firstSize;
}

// The tables rewritten in place must keep apart from each other and from the
// code the tool reads or patches: one write would destroy the other.
void CheckTablesApart(const DestinationFacts& destination) {
  const std::vector<InPlaceTable>& tables = destination.inPlaceTables;
  const std::vector<CodeBytes> codeBytes = CodeTheToolUses();
  for (std::size_t i = 0; i < tables.size(); ++i) {
    for (std::size_t j = i + 1; j < tables.size(); ++j) {
      if (Overlap(tables[i].offset, tables[i].size, tables[j].offset, tables[j].size)) {
        StopRun(Format(
            "%s: the %s at offset 0x%llX and the %s at offset 0x%llX overlap; "
            "rewriting one would destroy the other.\n",
            destination.name.c_str(), tables[i].name, static_cast<long long>(tables[i].offset),
            tables[j].name, static_cast<long long>(tables[j].offset)));
      }
    }
    for (const CodeBytes& code : codeBytes) {
      if (Overlap(tables[i].offset, tables[i].size, code.offset, code.size)) {
        StopRun(Format(
            "%s: the %s at offset 0x%llX overlaps the game's %s at offset 0x%llX; "
            "rewriting the table would destroy the code.\n",
            destination.name.c_str(), tables[i].name, static_cast<long long>(tables[i].offset),
            code.name.c_str(), static_cast<long long>(code.offset)));
      }
    }
  }
}

}  // namespace

std::int64_t RelocatedAreaEnd(const OutputRom& out, const OutputLayout& layout) {
  std::int64_t end = layout.base;
  for (const PlacedBlock& block : out.placedBlocks) {
    end = std::max(end, block.end);
  }
  return end;
}

DestinationFacts ReadDestinationFacts(RomImage& destination, const OutputLayout& layout) {
  DestinationFacts facts;
  facts.name = destination.name;
  facts.inPlaceTables = InPlaceTables(destination, layout);
  facts.carriesMarker = CarriesMarker(destination, layout);
  const ByteList& bytes = destination.bytes;
  const auto start = static_cast<std::size_t>(std::min(layout.base, ImageSize(destination)));
  const auto data = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end(),
                                 [](std::uint8_t byte) { return byte != 0x00 && byte != 0xFF; });
  if (data != bytes.end()) {
    facts.firstDataOffset = data - bytes.begin();
    facts.firstDataByte = *data;
  }
  return facts;
}

void CheckRelocatedLayout(const DestinationFacts& destination, const OutputRom& out,
                          const OutputLayout& layout) {
  const std::int64_t end = RelocatedAreaEnd(out, layout);
  CheckTablesOutsideArea(destination, layout, end);
  CheckAreaBelowWorkRam(destination, end);
  CheckAreaUnused(destination, layout, end);
  CheckTablesApart(destination);
}
