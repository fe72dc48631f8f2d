#include "tables/game_code.h"

#include "rom/failure.h"
#include "tables/room_sprites.h"

namespace {

void CheckOpcode(RomImage& rom, std::uint32_t offset, std::uint8_t opcode, const char* field) {
  SetReading(rom, Format("code in front of the %s field", field));
  Seek(rom, offset);
  const std::uint8_t found = ReadByte(rom);
  if (found != opcode) {
    StopRun(
        Format("%s: unsupported ROM: the %s code at offset 0x%X holds 0x%02X where the game "
               "has 0x%02X.\n",
               rom.name.c_str(), field, offset, found, opcode));
  }
}

}  // namespace

void CheckGameCode(RomImage& rom) {
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) {
    CheckOpcode(rom, check.offset, check.opcode, check.field);
  }
  CheckSpriteCode(rom);
}
