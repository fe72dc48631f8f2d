#include "app/map.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/job/layout_checks.h"
#include "rom/block_output.h"
#include "rom/format.h"
#include "rom/snes_address.h"
#include "tables/pushable_blocks.h"
#include "tables/room_sprites.h"
#include "tables/torches.h"

namespace {

// The blocks that make up the sprite block, which must stay in one bank below 0x200000.
constexpr std::array<BlockKind, 4> SPRITE_BLOCKS = {
    BlockKind::SpritePointerTable, BlockKind::SpriteLists, BlockKind::SpritePointerLoader,
    BlockKind::SlotDeathMasks};
constexpr std::int64_t BANK_BYTES = BANK_SIZE;

const char* BlockName(BlockKind kind) {
  switch (kind) {
    case BlockKind::Marker:
      return "Marker";
    case BlockKind::SpritePointerTable:
      return "Sprite pointer table";
    case BlockKind::SpriteLists:
      return "Sprite lists";
    case BlockKind::SpritePointerLoader:
      return "Sprite pointer loader";
    case BlockKind::SlotDeathMasks:
      return "Slot death masks";
    case BlockKind::RoomHeaders:
      return "Room headers";
    case BlockKind::LayerData:
      return "Layer rooms";
    case BlockKind::RoomItems:
      return "Room items";
    case BlockKind::PushableBlocks:
      return "Pushable blocks";
    case BlockKind::Torches:
      return "Torches";
    case BlockKind::Chests:
      return "Chests";
    case BlockKind::PitRooms:
      return "Pit rooms";
    case BlockKind::MessageTableNote:
      return "Message table note";
  }
  return "Block";
}

struct MapRow {
  BlockKind kind = BlockKind::Marker;
  std::string name;
  std::int64_t start = 0;
  std::int64_t end = 0;  // one past the last byte
  std::set<std::int64_t> banks;
};

std::int64_t BankOf(std::int64_t offset) { return offset / BANK_BYTES; }

std::int64_t SnesOf(std::int64_t offset) {
  return static_cast<std::int64_t>(PcToSnes(static_cast<std::uint32_t>(offset)));
}

void AddBlock(MapRow& row, const PlacedBlock& block) {
  row.end = std::max(row.end, block.end);
  row.banks.insert(BankOf(block.start));
  row.banks.insert(BankOf(std::max(block.start, block.end - 1)));
}

// One row per block, the consecutive per-room layer blocks folded into one.
std::vector<MapRow> BuildRows(const OutputRom& out) {
  std::vector<MapRow> rows;
  std::optional<int> firstLayerRoom;
  for (const PlacedBlock& block : out.placedBlocks) {
    const bool layer = block.kind == BlockKind::LayerData;
    const bool continuesLayers = layer && !rows.empty() && firstLayerRoom;
    if (!continuesLayers) {
      rows.push_back(MapRow{block.kind, BlockName(block.kind), block.start, block.end, {}});
      firstLayerRoom = layer ? std::optional<int>(block.room) : std::nullopt;
    }
    if (layer) {
      rows.back().name = Format("%s %d-%d", BlockName(block.kind), *firstLayerRoom, block.room);
    }
    AddBlock(rows.back(), block);
  }
  return rows;
}

std::string FormatRange(std::int64_t first, std::int64_t last) {
  return Format("%06llX-%06llX", static_cast<long long>(first), static_cast<long long>(last));
}

std::string FormatBanks(const std::set<std::int64_t>& banks) {
  if (banks.empty()) {
    return "";
  }
  if (banks.size() == 1) {
    return Format("%02llX", static_cast<long long>(*banks.begin()));
  }
  return Format("%02llX-%02llX, %zu banks", static_cast<long long>(*banks.begin()),
                static_cast<long long>(*banks.rbegin()), banks.size());
}

std::string FormatBlockRow(const MapRow& row) {
  const std::int64_t last = std::max(row.start, row.end - 1);
  const std::string offsets = row.end > row.start ? FormatRange(row.start, last) : "(empty)";
  const std::string addresses =
      row.end > row.start ? FormatRange(SnesOf(row.start), SnesOf(last)) : "";
  return Format("%-24s %-14s %-14s %6llX  %s\n", row.name.c_str(), offsets.c_str(),
                addresses.c_str(), static_cast<long long>(row.end - row.start),
                FormatBanks(row.banks).c_str());
}

MapBank UseOfBank(const OutputRom& out, std::int64_t bank) {
  const std::int64_t bankStart = bank * BANK_BYTES;
  const std::int64_t bankEnd = bankStart + BANK_BYTES;
  std::int64_t used = 0;
  std::int64_t lastEnd = bankStart;  // end of the bank's last block, or the bank start
  for (const PlacedBlock& block : out.placedBlocks) {
    const std::int64_t start = std::max(block.start, bankStart);
    const std::int64_t end = std::min(block.end, bankEnd);
    if (start < end) {
      used += end - start;
      lastEnd = std::max(lastEnd, end);
    }
  }
  return MapBank{bank, used, lastEnd - bankStart - used, bankEnd - lastEnd};
}

std::vector<MapBank> BanksOf(const OutputRom& out, std::int64_t areaStart, std::int64_t areaEnd) {
  std::vector<MapBank> banks;
  const std::int64_t lastBank = BankOf(std::max(areaStart, areaEnd - 1));
  for (std::int64_t bank = BankOf(areaStart); bank <= lastBank; ++bank) {
    banks.push_back(UseOfBank(out, bank));
  }
  return banks;
}

std::string FormatBankRows(const std::vector<MapBank>& banks) {
  std::string text = "Bank  File offsets   Used  Gaps  Free\n";
  for (const MapBank& bank : banks) {
    const std::int64_t bankStart = bank.bank * BANK_BYTES;
    text += Format("%02llX    %s  %4llX  %4llX  %4llX\n", static_cast<long long>(bank.bank),
                   FormatRange(bankStart, bankStart + BANK_BYTES - 1).c_str(),
                   static_cast<long long>(bank.used), static_cast<long long>(bank.gaps),
                   static_cast<long long>(bank.free));
  }
  return text;
}

std::string FormatTotal(const OutputRom& out, std::int64_t areaStart, std::int64_t areaEnd) {
  std::int64_t inBlocks = 0;
  for (const PlacedBlock& block : out.placedBlocks) {
    inBlocks += block.end - block.start;
  }
  const std::int64_t total = areaEnd - areaStart;
  return Format(
      "Total: %s, %llX bytes (%lld) from 0x%llX to the end of the last block, %llX of them in "
      "blocks\n",
      FormatRange(areaStart, std::max(areaStart, areaEnd - 1)).c_str(),
      static_cast<long long>(total), static_cast<long long>(total),
      static_cast<long long>(areaStart), static_cast<long long>(inBlocks));
}

// The bytes of the label block in front of a table.
std::int64_t LabelSize(const char* label) {
  return static_cast<std::int64_t>(LabelBlock(label).size());
}

std::optional<MapRow> FindRow(const std::vector<MapRow>& rows, BlockKind kind) {
  for (const MapRow& row : rows) {
    if (row.kind == kind) {
      return row;
    }
  }
  return std::nullopt;
}

// From the start of the first sprite block to the end of the last.
std::optional<MapRow> SpriteBlock(const OutputRom& out) {
  std::optional<MapRow> sprite;
  for (const PlacedBlock& block : out.placedBlocks) {
    if (std::find(SPRITE_BLOCKS.begin(), SPRITE_BLOCKS.end(), block.kind) == SPRITE_BLOCKS.end()) {
      continue;
    }
    if (!sprite) {
      sprite = MapRow{block.kind, "Sprite block", block.start, block.end, {}};
    }
    sprite->start = std::min(sprite->start, block.start);
    sprite->end = std::max(sprite->end, block.end);
  }
  return sprite;
}

// The table's length as the output's count field gives it.
std::int64_t PushableBlockBytes(const OutputRom& out) {
  const std::size_t field = PUSHABLE_BLOCK_COUNT_FIELD;
  return out.bytes.at(field) | (out.bytes.at(field + 1) << 8);
}

std::string FormatLimits(const OutputRom& out, const std::vector<MapRow>& rows, LayoutKind kind,
                         std::int64_t areaStart, std::int64_t areaEnd) {
  std::string text = FormatLimitHeading();
  if (const std::optional<MapRow> sprite = SpriteBlock(out)) {
    const std::int64_t size = sprite->end - sprite->start;
    text += FormatLimitRow("Sprite block in one bank", size, BANK_BYTES);
    text += FormatLimitRow("Sprite block below 0x200000", size, SPRITE_BLOCK_LIMIT - sprite->start);
  }
  if (const std::optional<MapRow> items = FindRow(rows, BlockKind::RoomItems)) {
    text += FormatLimitRow("Item block in one bank", items->end - items->start, BANK_BYTES);
  }
  if (const std::optional<MapRow> torches = FindRow(rows, BlockKind::Torches)) {
    text +=
        FormatLimitRow("Torch table", torches->end - torches->start - LabelSize(TORCH_TABLE_LABEL),
                       TORCH_TABLE_LIMIT);
  }
  if (kind == LayoutKind::Editable) {
    // The block keeps room for a full table; what counts is the entries.
    const std::int64_t entries = PushableBlockBytes(out);
    text += FormatLimitRow("Pushable block table", entries, PUSHABLE_BLOCK_TABLE_LIMIT);
    text += FormatLimitRow("Pushable blocks editors save", entries,
                           EDITOR_PUSHABLE_BLOCK_LIMIT * PUSHABLE_BLOCK_ENTRY_SIZE);
  } else if (const std::optional<MapRow> blocks = FindRow(rows, BlockKind::PushableBlocks)) {
    text += FormatLimitRow("Pushable block table",
                           blocks->end - blocks->start - LabelSize(PUSHABLE_BLOCK_TABLE_LABEL),
                           PUSHABLE_BLOCK_TABLE_LIMIT);
  }
  text += FormatLimitRow("Relocated area below 0x3F0000", areaEnd - areaStart,
                         WORK_RAM_START - areaStart);
  return text;
}

// The tables and list regions the editable layout rewrites where the game
// keeps them: their use against their space.
std::string FormatInPlaceRows(const OutputRom& out) {
  std::string text = Format("%-24s %-14s %6s %6s %6s  %4s\n", "Rewritten in place", "File offsets",
                            "Used", "Space", "Left", "Use");
  for (const InPlaceRegion& region : out.inPlaceRegions) {
    const std::int64_t percent = region.space > 0 ? region.used * 100 / region.space : 0;
    const std::int64_t last = region.start + std::max<std::int64_t>(region.space, 1) - 1;
    text +=
        Format("%-24s %-14s %6llX %6llX %6llX  %3lld%%\n", region.name.c_str(),
               FormatRange(region.start, last).c_str(), static_cast<long long>(region.used),
               static_cast<long long>(region.space),
               static_cast<long long>(region.space - region.used), static_cast<long long>(percent));
  }
  return text;
}

}  // namespace

std::string FormatLimitHeading() {
  return Format("%-32s %8s %8s %8s  %4s\n", "Limits (bytes)", "Used", "Limit", "Left", "Use");
}

std::string FormatLimitRow(const char* name, std::int64_t used, std::int64_t limit) {
  const std::int64_t percent = limit > 0 ? used * 100 / limit : 0;
  return Format("  %-30s %8lld %8lld %8lld  %3lld%%\n", name, static_cast<long long>(used),
                static_cast<long long>(limit), static_cast<long long>(limit - used),
                static_cast<long long>(percent));
}

std::string FormatMap(const OutputRom& out, const OutputLayout& layout) {
  const std::vector<MapRow> rows = BuildRows(out);
  const std::int64_t areaStart = layout.base;
  const std::int64_t areaEnd = RelocatedAreaEnd(out, layout);
  std::string text = Format("Map of the relocated area of %s\n", out.name.c_str());
  if (layout.kind == LayoutKind::Editable || areaStart != RELOCATION_START) {
    text += Format("%s layout, relocated area from 0x%llX\n",
                   layout.kind == LayoutKind::Editable ? "Editable" : "Classic",
                   static_cast<long long>(areaStart));
  }
  text += '\n';
  text += Format("%-24s %-14s %-14s %6s  %s\n", "Block", "File offsets", "SNES addresses", "Size",
                 "Bank");
  for (const MapRow& row : rows) {
    text += FormatBlockRow(row);
  }
  text += '\n';
  text += FormatBankRows(BanksOf(out, areaStart, areaEnd));
  text += '\n';
  text += FormatTotal(out, areaStart, areaEnd);
  text += '\n';
  text += FormatLimits(out, rows, layout.kind, areaStart, areaEnd);
  if (!out.inPlaceRegions.empty()) {
    text += '\n';
    text += FormatInPlaceRows(out);
  }
  return text;
}

MapSummary SummariseMap(const OutputRom& out, const OutputLayout& layout) {
  MapSummary summary;
  for (const MapRow& row : BuildRows(out)) {
    summary.blocks.push_back(
        MapBlock{row.name, row.start, row.end, {row.banks.begin(), row.banks.end()}});
  }
  summary.banks = BanksOf(out, layout.base, RelocatedAreaEnd(out, layout));
  summary.inPlace = out.inPlaceRegions;
  return summary;
}
