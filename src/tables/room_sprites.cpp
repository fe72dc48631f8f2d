#include "tables/room_sprites.h"

#include <algorithm>
#include <vector>

#include "rom/block_output.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/snes_address.h"
#include "tables/list_ends.h"

namespace {

constexpr char TABLE_LABEL[] = "Sprite Pointer Table";
constexpr char LOADER_LABEL[] = "Sprite Pointers Loader Code";
constexpr char DEATH_MASK_LABEL[] = "Slot Death Masks";

// Both streamed labels take a 32-byte field; their texts are 17 to 32 characters.
constexpr std::uint32_t LABEL_FIELD_SIZE = 32;
// From the loader's end: 15 bytes not written, the label, the 16 mask words.
constexpr std::uint32_t DEATH_MASK_AREA = 15 + 16 + 2 * DEATH_MASK_COUNT;
constexpr std::uint32_t FIXED_BLOCK_SIZE =
    LABEL_FIELD_SIZE + SPRITE_TABLE_SIZE + LABEL_FIELD_SIZE + SPRITE_LOADER_SIZE + DEATH_MASK_AREA;

std::uint16_t Low16(std::uint32_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }

std::uint32_t SnesOf(std::int64_t offset) { return PcToSnes(static_cast<std::uint32_t>(offset)); }

// The file offset of `address`, wide enough that a wrapped conversion stays far outside the file.
std::int64_t OffsetOf(std::uint32_t address) {
  return static_cast<std::int64_t>(SnesToPc(address));
}

std::int64_t LoaderOffset(RomImage& rom) {
  return OffsetOf(ReadLongAt(rom, SPRITE_CODE_FIELD + 1, "sprite pointer loader address"));
}

void ReadLoaderForm(RomImage& rom, SpritePointerTable& table, std::FILE* console) {
  const std::uint32_t uiJumpTarget =
      ReadLongAt(rom, SPRITE_CODE_FIELD + 1, "sprite pointer loader address");
  const std::int64_t loader = OffsetOf(uiJumpTarget);
  table.bank = ReadByteAt(rom, loader + SPRITE_LOADER_BANK_BYTE, "sprite pointer loader");
  const std::uint32_t uiBank = table.bank;
  table.tableAddress = ReadWordAt(rom, loader + SPRITE_LOADER_TABLE_BYTE) + (uiBank << 16);
  Report(console,
         Format("uiJumpTarget: %X, uiBank: %X, uiBank<<16: %X, uiPointerTablePointer: %X\n",
                uiJumpTarget, uiBank, uiBank << 16, table.tableAddress));
}

void ReadGameForm(RomImage& rom, SpritePointerTable& table) {
  table.bank = GAME_SPRITE_BANK;
  table.tableAddress = ReadWordAt(rom, GAME_SPRITE_TABLE_FIELD, "sprite table address") +
                       (static_cast<std::uint32_t>(GAME_SPRITE_BANK) << 16);
}

constexpr const char* SPRITE_LABEL_FORMAT = "Sprites Room %d";

std::span<const std::uint8_t> SpriteBytes(const RoomData& room) { return room.spriteData; }

// Aligns, reports and keeps the block in one bank that the game's sprite code
// can use; returns the block's start.
std::int64_t PlaceSpriteBlock(OutputRom& out, std::uint32_t uiDataSize) {
  const std::int64_t aligned = (Tell(out) + 15) / 16 * 16;
  if (PlaceBlock(out, "WriteRoomSprites", uiDataSize, uiDataSize) >= SPRITE_BLOCK_LIMIT) {
    const std::int64_t available = aligned < SPRITE_BLOCK_LIMIT ? SPRITE_BLOCK_LIMIT - aligned : 0;
    StopRun(
        Format("The sprite lists need 0x%X bytes but bank 0x3F has 0x%llX bytes left; the "
               "sprite lists are too large for bank 0x3F, the last bank the game's sprite "
               "code can use.\n",
               uiDataSize, static_cast<long long>(available)));
  }
  return Tell(out);
}

void WriteStreamedLabel(RomImage& out, const char* text) {
  WriteText(out, text);
  AlignTo16(out);
}

void WriteLoader(RomImage& out, std::uint8_t bank, std::int64_t table) {
  std::array<std::uint8_t, SPRITE_LOADER_SIZE> loader = SPRITE_LOADER_TEMPLATE;
  const std::uint16_t tableAddress = Low16(SnesOf(table));
  loader[SPRITE_LOADER_BANK_BYTE] = bank;
  loader[SPRITE_LOADER_TABLE_BYTE] = static_cast<std::uint8_t>(tableAddress & 0xFF);
  loader[SPRITE_LOADER_TABLE_BYTE + 1] = static_cast<std::uint8_t>(tableAddress >> 8);
  WriteBytes(out, ByteList(loader.begin(), loader.end()));
}

void CallLoaderFromGame(RomImage& out, std::int64_t loader) {
  WriteByteAt(out, SPRITE_CODE_FIELD, JSL_OPCODE);
  WriteLongAt(out, SPRITE_CODE_FIELD + 1, SnesOf(loader));
}

void WriteDeathMasks(RomImage& out) {
  for (int bit = 0; bit < DEATH_MASK_COUNT; ++bit) {
    WriteWord(out, static_cast<std::uint16_t>(1u << bit));
  }
}

// The game's enemy-death check reads the bit masks through the data bank that
// the loader set, so its operand must name the masks in the sprite block.
void PointDeathCheckAtMasks(RomImage& out, std::int64_t masks) {
  SetReading(out, "enemy death check code");
  if (HoldsAt(out, DEATH_MASK_CODE, DEATH_MASK_SIGNATURE)) {
    WriteWordAt(out, DEATH_MASK_OPERAND, Low16(SnesOf(masks)));
  }
}

[[noreturn]] void RefuseSpriteCode(const RomImage& rom, std::int64_t offset, std::uint8_t found,
                                   const char* expected) {
  StopRun(
      Format("%s: unsupported ROM: the sprite table code at offset 0x%llX holds 0x%02X where "
             "%s.\n",
             rom.name.c_str(), static_cast<long long>(offset), found, expected));
}

// Whether `found` may stand at `index` of the loader: the template's byte,
// or any at the places the writer patches.
bool IsLoaderByte(std::size_t index, std::uint8_t found) {
  const bool patched = index == SPRITE_LOADER_BANK_BYTE || index == SPRITE_LOADER_TABLE_BYTE ||
                       index == SPRITE_LOADER_TABLE_BYTE + 1;
  return patched || found == SPRITE_LOADER_TEMPLATE.at(index);
}

void CheckLoader(RomImage& rom) {
  const std::int64_t loader = LoaderOffset(rom);
  SetReading(rom, "sprite pointer loader");
  RequireInside(rom, loader, SPRITE_LOADER_SIZE);
  Seek(rom, loader);
  for (std::size_t index = 0; index < SPRITE_LOADER_SIZE; ++index) {
    const std::uint8_t found = ReadByte(rom);
    const std::uint8_t expected = SPRITE_LOADER_TEMPLATE.at(index);
    if (!IsLoaderByte(index, found)) {
      StopRun(
          Format("%s: unsupported ROM: the sprite table loader called at offset 0x%X holds "
                 "0x%02X at offset 0x%llX where the loader has 0x%02X.\n",
                 rom.name.c_str(), SPRITE_CODE_FIELD, found,
                 static_cast<long long>(loader + static_cast<std::int64_t>(index)), expected));
    }
  }
}

// One past the list's last byte (list_ends.h says where it ends).
std::int64_t SpriteListStop(const RomImage& rom, std::int64_t start) {
  const ListEnd end = SpriteListEnd(BytesFrom(rom, start, 1));
  if (end.ending == ListEnding::OutOfBytes) {
    RequireInside(rom, start + static_cast<std::int64_t>(end.size),
                  static_cast<std::int64_t>(end.needed));
  }
  return start + static_cast<std::int64_t>(end.size);
}

}  // namespace

void ReadSpritePointerTable(RomImage& rom, SpritePointerTable& table, std::FILE* console) {
  table = SpritePointerTable{};
  if (ReadByteAt(rom, SPRITE_CODE_FIELD, "sprite table code") == JSL_OPCODE) {
    ReadLoaderForm(rom, table, console);
  } else {
    ReadGameForm(rom, table);
  }
  ReadTableEntries(rom, table, 0, ROOM_COUNT, "sprite pointer table");
}

void ReadRoomSprites(RomImage& rom, RoomSet& rooms, const SpritePointerTable& table) {
  const std::uint32_t bank = static_cast<std::uint32_t>(table.bank) << 16;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    SetReading(rom, "sprite list of room", room);
    const std::int64_t start = OffsetOf(bank + table.entries.at(room));
    const std::int64_t end = SpriteListStop(rom, start);
    Seek(rom, end);
    AppendImageBytes(rooms[room].spriteData, rom, start, end);
  }
}

void WriteRoomSprites(OutputRom& out, const RoomSet& rooms) {
  // The lists are written from the room set with their padding, not copied.
  const RoomRecords records = SizeRoomRecords(rooms, SPRITE_LABEL_FORMAT, SpriteBytes);
  SetReading(out, "sprite block");
  const std::int64_t start = PlaceSpriteBlock(out, FIXED_BLOCK_SIZE + records.size);

  WriteStreamedLabel(out, TABLE_LABEL);
  const std::int64_t table = Tell(out);
  SeekRelative(out, SPRITE_TABLE_SIZE);
  RecordBlock(out, BlockKind::SpritePointerTable, start, Tell(out));

  const std::int64_t listsStart = Tell(out);
  const std::int64_t lastList = WriteRoomRecords(out, rooms, records, SpriteBytes, table);
  AlignTo16(out);
  RecordBlock(out, BlockKind::SpriteLists, listsStart, Tell(out));

  const std::int64_t loaderLabel = Tell(out);
  WriteStreamedLabel(out, LOADER_LABEL);
  const std::int64_t loader = Tell(out);
  WriteLoader(out, static_cast<std::uint8_t>((lastList / BANK_SIZE) & 0xFF), table);
  CallLoaderFromGame(out, loader);
  RecordBlock(out, BlockKind::SpritePointerLoader, loaderLabel, Tell(out));

  AlignTo16(out);
  const std::int64_t maskLabel = Tell(out);
  WriteText(out, DEATH_MASK_LABEL);
  const std::int64_t masks = Tell(out);
  WriteDeathMasks(out);
  PointDeathCheckAtMasks(out, masks);
  RecordBlock(out, BlockKind::SlotDeathMasks, maskLabel, Tell(out));
}

std::int64_t SpriteListRoom(std::int64_t from) {
  const std::int64_t room = SPRITE_BLOCK_LIMIT - (from + 15) / 16 * 16 - FIXED_BLOCK_SIZE -
                            AllLabelsSize(SPRITE_LABEL_FORMAT);
  return std::max<std::int64_t>(room, 0);  // none when the block cannot start there
}

void CheckSpriteCode(RomImage& rom) {
  const std::uint8_t first = ReadByteAt(rom, SPRITE_CODE_FIELD, "sprite table code");
  if (first == JSL_OPCODE) {
    CheckLoader(rom);
    return;
  }
  if (first != TAY_OPCODE) {
    RefuseSpriteCode(rom, SPRITE_CODE_FIELD, first,
                     "the game has 0xA8 or this tool's loader call has 0x22");
  }
  const std::uint8_t second = ReadByteAt(rom, SPRITE_CODE_FIELD + 1);
  if (second != LDA_ABSOLUTE_Y_OPCODE) {
    RefuseSpriteCode(rom, SPRITE_CODE_FIELD + 1, second, "the game has 0xB9");
  }
}

bool HoldsSpriteCode(const RomImage& rom) {
  const std::int64_t size = ImageSize(rom);
  if (static_cast<std::int64_t>(SPRITE_CODE_FIELD) + 4 > size) {
    // Room for the game's two opcodes only, not for a loader call.
    return static_cast<std::int64_t>(SPRITE_CODE_FIELD) + 2 <= size &&
           rom.bytes[SPRITE_CODE_FIELD] == TAY_OPCODE &&
           rom.bytes[SPRITE_CODE_FIELD + 1] == LDA_ABSOLUTE_Y_OPCODE;
  }
  const std::uint8_t* const code = rom.bytes.data() + SPRITE_CODE_FIELD;
  if (code[0] != JSL_OPCODE) {
    return code[0] == TAY_OPCODE && code[1] == LDA_ABSOLUTE_Y_OPCODE;
  }
  const std::int64_t loader =
      OffsetOf(static_cast<std::uint32_t>(code[1] | code[2] << 8 | code[3] << 16));
  if (loader < 0 || loader > size - static_cast<std::int64_t>(SPRITE_LOADER_SIZE)) {
    return false;
  }
  for (std::size_t index = 0; index < SPRITE_LOADER_SIZE; ++index) {
    if (!IsLoaderByte(index, rom.bytes[static_cast<std::size_t>(loader) + index])) {
      return false;
    }
  }
  return true;
}

// The editable layout: the game's lookup at 0x4C296 stays, so the table and
// the lists stay in bank 0x09, where the dungeon editors read them too.

std::int64_t GameSpriteTableOffset(RomImage& rom) {
  return OffsetOf(ReadWordAt(rom, GAME_SPRITE_TABLE_FIELD, "sprite table address") +
                  (static_cast<std::uint32_t>(GAME_SPRITE_BANK) << 16));
}

void RefuseSpriteLoader(RomImage& rom) {
  if (ReadByteAt(rom, SPRITE_CODE_FIELD, "sprite table code") == JSL_OPCODE) {
    StopRun(
        Format("%s: the sprite lookup at offset 0x%X calls this tool's sprite pointer loader, so "
               "the game's pointer to its sprite table in bank 0x09 is lost; this ROM can only "
               "take the classic layout (run without --editable).\n",
               rom.name.c_str(), SPRITE_CODE_FIELD));
  }
}

ListRegion SpriteListRegion(const SpritePointerTable& table, const RoomSet& rooms,
                            const std::string& romName) {
  return RegionOfLists(table.bank, table.entries, rooms, &RoomData::spriteData, "sprite", romName);
}

void WriteRoomSpritesInPlace(OutputRom& out, const RoomSet& rooms, const ListRegion& region) {
  const std::int64_t table = GameSpriteTableOffset(out);
  WriteListsInPlace(out, rooms, &RoomData::spriteData, region, table,
                    {"WriteRoomSprites", "sprite lists", "Sprite pointer table", "Sprite lists"});
}
