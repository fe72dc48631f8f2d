#include "tables/game_code.h"

#include <algorithm>
#include <array>
#include <string>

#include "rom/failure.h"
#include "rom/format.h"
#include "tables/room_sprites.h"

namespace {

// "code in front of the header table field" and so on, in the checks' order.
const std::string& CodeName(std::size_t check) {
  static const std::array<std::string, GAME_CODE_CHECKS.size()> names = [] {
    std::array<std::string, GAME_CODE_CHECKS.size()> built;
    for (std::size_t i = 0; i < built.size(); ++i) {
      built[i] = Format("code in front of the %s field", GAME_CODE_CHECKS[i].field);
    }
    return built;
  }();
  return names.at(check);
}

void CheckOpcode(RomImage& rom, std::size_t check) {
  const auto [offset, opcode, field] = GAME_CODE_CHECKS.at(check);
  SetReading(rom, CodeName(check));
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

bool HoldsGameCode(const RomImage& rom) {
  const bool opcodesHeld =
      std::all_of(GAME_CODE_CHECKS.begin(), GAME_CODE_CHECKS.end(), [&](const OpcodeCheck& check) {
        const std::array<std::uint8_t, 1> opcode = {check.opcode};
        return HoldsAt(rom, check.offset, opcode);
      });
  return opcodesHeld && HoldsSpriteCode(rom);
}

void CheckGameCode(RomImage& rom) {
  for (std::size_t check = 0; check < GAME_CODE_CHECKS.size(); ++check) {
    CheckOpcode(rom, check);
  }
  CheckSpriteCode(rom);
}
