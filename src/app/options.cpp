#include "app/options.h"

#include <string_view>
#include <utility>

#include "app/job/all_rooms.h"
#include "rom/format.h"
#include "rom/rom_image.h"
#include "rom/snes_address.h"
#include "tables/room_sprites.h"

namespace {

// A relocated area must start on a bank, from here on.
constexpr std::int64_t LOWEST_BASE = 0x100000;
// Offsets from here on are past the last bank of the mapping's ROM space.
constexpr std::int64_t BASE_LIMIT = 0x400000;

struct OptionRule {
  std::string_view name;  // without the leading "--"
  bool CommandLine::*flag;
  std::optional<std::string> CommandLine::*value;
  std::string_view valueName;
};

constexpr OptionRule OPTIONS[] = {
    {"help", &CommandLine::help, nullptr, ""},
    {"version", &CommandLine::version, nullptr, ""},
    {"map", &CommandLine::map, nullptr, ""},
    {"dry-run", &CommandLine::dryRun, nullptr, ""},
    {"verify", &CommandLine::verify, nullptr, ""},
    {"fix-checksum", &CommandLine::fixChecksum, nullptr, ""},
    {"editable", &CommandLine::editable, nullptr, ""},
    {"base", nullptr, &CommandLine::base, "OFFSET"},
    {"inspect", nullptr, &CommandLine::inspectRom, "ROM"},
    {"export", nullptr, &CommandLine::exportPack, "PACK"},
    {"picture", nullptr, &CommandLine::picture, "PNG"},
    {"rooms", nullptr, &CommandLine::rooms, "LIST"},
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsOption(const std::string& argument) {
  return argument.size() >= 3 && argument.starts_with("--") && IsLetter(argument[2]);
}

const OptionRule* FindOption(std::string_view name) {
  for (const OptionRule& rule : OPTIONS) {
    if (rule.name == name) {
      return &rule;
    }
  }
  return nullptr;
}

// Reads the arguments into `line`; gives the first error, or "".
std::string ReadArguments(const std::vector<std::string>& arguments, CommandLine& line) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || !IsOption(argument)) {
      line.positionals.push_back(argument);
      continue;
    }
    const std::size_t equals = argument.find('=');
    const bool hasValue = equals != std::string::npos;
    const std::string name = argument.substr(2, hasValue ? equals - 2 : std::string::npos);
    const OptionRule* rule = FindOption(name);
    if (rule == nullptr) {
      return Format("Unknown option --%s (roomxfer --help lists the options).\n", name.c_str());
    }
    if (rule->flag != nullptr) {
      if (hasValue) {
        return Format("Option --%s takes no value.\n", name.c_str());
      }
      line.*(rule->flag) = true;
      continue;
    }
    std::optional<std::string>& field = line.*(rule->value);
    if (field) {
      return Format("Option --%s is given twice.\n", name.c_str());
    }
    if (hasValue) {
      field = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size() && !IsOption(arguments[i + 1])) {
      field = arguments[++i];
    } else {
      return Format("Option --%s needs a value: --%s %s.\n", name.c_str(), name.c_str(),
                    std::string(rule->valueName).c_str());
    }
  }
  return "";
}

// Hexadecimal after "0x" or "$", else decimal; digits only, at most a few
// more than the largest offset needs.
bool ParseOffset(const std::string& text, std::int64_t& value) {
  std::string_view digits = text;
  int radix = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    digits.remove_prefix(2);
    radix = 16;
  } else if (digits.starts_with("$")) {
    digits.remove_prefix(1);
    radix = 16;
  }
  if (digits.empty() || digits.size() > 12) {
    return false;
  }
  value = 0;
  for (const char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (radix == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (radix == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    }
    if (digit < 0) {
      return false;
    }
    value = value * radix + digit;
  }
  return true;
}

// Sets line.relocationBase from --base and --editable; gives the first error, or "".
std::string CheckBase(CommandLine& line) {
  line.relocationBase = line.editable ? EDITABLE_BASE : RELOCATION_START;
  if (!line.base) {
    return "";
  }
  std::int64_t base = 0;
  if (!ParseOffset(*line.base, base)) {
    return Format(
        "--base %s: not an offset; give it in hexadecimal after 0x or $, or in decimal.\n",
        line.base->c_str());
  }
  if (base % BANK_SIZE != 0) {
    return Format("--base %s: 0x%llX is not the start of a bank (a multiple of 0x8000).\n",
                  line.base->c_str(), static_cast<long long>(base));
  }
  if (base < LOWEST_BASE || base >= BASE_LIMIT) {
    return Format(
        "--base %s: 0x%llX lies outside 0x100000 to 0x3F8000, where the relocated "
        "area may start.\n",
        line.base->c_str(), static_cast<long long>(base));
  }
  if (!line.editable && !line.inspectRom && base >= SPRITE_BLOCK_LIMIT) {
    return Format(
        "--base %s: without --editable the sprite block must end below 0x200000, "
        "where the game's sprite code reaches it; give a lower base, or add "
        "--editable.\n",
        line.base->c_str());
  }
  line.relocationBase = base;
  return "";
}

// --export PACK ROM [ROOMS], with --rooms as its only option.
std::string CheckExport(const CommandLine& line) {
  const std::pair<bool, const char*> otherOptions[] = {{line.inspectRom.has_value(), "--inspect"},
                                                       {line.picture.has_value(), "--picture"},
                                                       {line.map, "--map"},
                                                       {line.dryRun, "--dry-run"},
                                                       {line.verify, "--verify"},
                                                       {line.fixChecksum, "--fix-checksum"},
                                                       {line.editable, "--editable"},
                                                       {line.base.has_value(), "--base"}};
  for (const auto& [given, name] : otherOptions) {
    if (given) {
      return Format("Options --export and %s cannot be used together.\n", name);
    }
  }
  if (line.positionals.empty() || line.positionals.size() > 2) {
    return "--export PACK takes the ROM to take the rooms from and an optional ROOMS: "
           "--export PACK ROM [ROOMS].\n";
  }
  if (line.rooms && line.positionals.size() == 2) {
    return "Give the room list either as ROOMS or with --rooms, not both.\n";
  }
  return "";
}

// --picture PNG SOURCE [DESTINATION] [ROOMS], with --rooms as its only option.
std::string CheckPicture(const CommandLine& line) {
  const std::pair<bool, const char*> otherOptions[] = {
      {line.map, "--map"},           {line.dryRun, "--dry-run"},
      {line.verify, "--verify"},     {line.fixChecksum, "--fix-checksum"},
      {line.editable, "--editable"}, {line.base.has_value(), "--base"}};
  for (const auto& [given, name] : otherOptions) {
    if (given) {
      return Format("Options --picture and %s cannot be used together.\n", name);
    }
  }
  if (line.positionals.empty() || line.positionals.size() > 3) {
    return "--picture PNG takes the ROM to draw, an optional DESTINATION and an optional "
           "ROOMS: --picture PNG SOURCE [DESTINATION] [ROOMS].\n";
  }
  if (line.rooms && TakePictureArguments(line.positionals).roomList) {
    return "Give the room list either as ROOMS or with --rooms, not both.\n";
  }
  return "";
}

std::string CheckCombination(const CommandLine& line) {
  if (line.exportPack) {
    return CheckExport(line);
  }
  if (line.picture && !line.inspectRom) {
    return CheckPicture(line);
  }
  if (line.rooms && line.positionals.size() >= 3) {
    return "Give the room list either as ROOMS or with --rooms, not both.\n";
  }
  if (!line.inspectRom) {
    return "";
  }
  if (!line.positionals.empty()) {
    return "--inspect ROM takes no SOURCE, DESTINATION or ROOMS argument.\n";
  }
  const std::pair<bool, const char*> transferOptions[] = {{line.picture.has_value(), "--picture"},
                                                          {line.map, "--map"},
                                                          {line.dryRun, "--dry-run"},
                                                          {line.verify, "--verify"},
                                                          {line.fixChecksum, "--fix-checksum"},
                                                          {line.editable, "--editable"}};
  for (const auto& [given, name] : transferOptions) {
    if (given) {
      return Format("Options --inspect and %s cannot be used together.\n", name);
    }
  }
  return "";
}

bool IsRoomListArgument(const std::string& argument) {
  const bool digitsAndDashes = argument.find_first_not_of("0123456789-") == std::string::npos;
  return digitsAndDashes && argument.find_first_of("0123456789") != std::string::npos;
}

}  // namespace

PictureArguments TakePictureArguments(const std::vector<std::string>& positionals) {
  PictureArguments picture;
  picture.source = positionals.at(0);
  if (positionals.size() == 2 && IsRoomListArgument(positionals[1])) {
    picture.roomList = positionals[1];
  } else if (positionals.size() >= 2) {
    picture.destination = positionals[1];
  }
  if (positionals.size() >= 3) {
    picture.roomList = positionals[2];
  }
  return picture;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  parsed.usageError = ReadArguments(arguments, parsed.line);
  if (parsed.usageError.empty() && !parsed.line.help && !parsed.line.version) {
    parsed.usageError = CheckCombination(parsed.line);
  }
  if (parsed.usageError.empty() && !parsed.line.help && !parsed.line.version) {
    parsed.usageError = CheckBase(parsed.line);
  }
  return parsed;
}

std::string HelpText() {
  return R"(Usage: roomxfer [OPTIONS] SOURCE [DESTINATION [ROOMS]]
       roomxfer [OPTIONS] --rooms LIST SOURCE [DESTINATION]
       roomxfer --inspect ROM [--rooms LIST]
       roomxfer --export PACK ROM [ROOMS]
       roomxfer --picture PNG SOURCE [DESTINATION] [ROOMS]

Copies dungeon rooms of SOURCE onto rooms of DESTINATION and writes the new ROM
"_" + DESTINATION: the destination padded to 3 MiB, with the data of all 320
rooms relocated into the expanded area from file offset 0x1F8000 (--base and
--editable change this: see below). Without DESTINATION the source is also the
destination; without a room list every room goes onto the room of the same
number. Input files are never changed.
SOURCE may be a room pack (see --export): its rooms are taken by the numbers
they carry, and without a room list each goes onto the room of that number.

Room lists (room numbers 0 to 319):
  ROOMS         numbers in decimal separated by "-", taken in pairs source,
                destination: 10-20-11-21 puts source room 10 onto destination
                room 20 and 11 onto 21. Runs of "-" count as one.
  --rooms LIST  comma-separated items SRC:DST, or SRCFIRST..SRCLAST:DSTFIRST
                for a range onto a range of the same length; numbers in
                decimal, or hexadecimal after 0x or $; no spaces. Example:
                --rooms '0x60..0x6F:0x100,$12:$40'
  Pairs apply in order, always from the unchanged source; a later pair onto
  the same room wins.

Options (before or after the other arguments; a lone -- ends the options):
  --help          print this help and exit
  --version       print the version and exit
  --rooms LIST    the room list in the form above, instead of ROOMS
  --map           after the run, print a table of the expanded area: every
                  block with its offsets, SNES addresses, size and bank, then
                  the bytes used and free per bank
  --dry-run       do the whole run in memory and write no file at all; print
                  the same lines, then "Dry run: nothing was written."
  --verify        read the new ROM back before it is written and compare every
                  room with what was meant to be written; one line per
                  difference, then a summary; an unexpected difference is a
                  failure and nothing is written. Then, where both ROMs hold
                  the game's room-loading code, load each moved room in both
                  and compare what the game builds (a report, not a failure)
  --fix-checksum  set the ROM size byte and the checksum of the new ROM's
                  internal header
  --inspect ROM   print a table of the rooms of ROM (with or without copier
                  header) and its limits; writes nothing. With --rooms, only
                  the rooms named on either side of the list. ROM may be a
                  room pack: its rooms' sizes, pit flags and messages
  --editable      keep the new ROM editable in dungeon editors (see below);
                  the relocated area starts at 0x200000 unless --base is given
  --base OFFSET   start the relocated area at OFFSET (hexadecimal after 0x or
                  $, or decimal): a multiple of 0x8000 from 0x100000 on, below
                  0x200000 without --editable. With --inspect: where to look
                  for a relocated area
  --export PACK   write the rooms of ROM (all 320 without a list) into the
                  room pack PACK, a text file; 18-64 puts room 18 into the
                  pack as room 64, and in --rooms a lone room or range names
                  itself (--rooms 0x12,0x40..0x4F). Only --rooms goes with it
  --picture PNG   draw rooms of SOURCE into the picture PNG as the ROM's own
                  code draws them, and write nothing else: the one room named
                  at 512 x 512, or the rooms named (all 320 without a list)
                  in the game's grid of 16 a row, each at 128 x 128. ROOMS
                  may follow SOURCE directly; a lone room or range in --rooms
                  names itself. With DESTINATION (SOURCE may then be a room
                  pack) the transfer is done in memory and the moved rooms
                  are drawn at their new numbers by the new ROM. Prints
                  "Picture PNG: N rooms drawn, N instructions run, N unmapped
                  accesses". Only --rooms goes with it

Keeping the ROM editable:
  roomxfer --editable hack.sfc other.sfc LIST
  Dungeon editors keep data of their own at 0x110000-0x14FFFF and from
  0x1E8000 to 0x1FFFFF, and read some tables at fixed places; --editable
  leaves all of that alone. The sprite lists stay in bank 0x09 behind the
  game's own lookup, packed into the region the destination's own lists span;
  the pot item lists stay in their table's bank, packed the same way; the
  torch table is rewritten at 0x2736A (at most 0x120 bytes). Headers, layer
  data, chests, pushable blocks and pits go to the relocated area, the chest
  and block tables with room for 168 chests and 512 bytes of blocks. A list
  region is taken from the destination on every run, so it can only shrink.
  A ROM that carries this tool's sprite loader cannot take this layout.

Files written:
  _DESTINATION          the new ROM (a directory part is kept: roms/b.sfc
                        gives _roms/b.sfc)
  _NoHeader_NAME        the headerless copy of an input ROM NAME that carries a
                        512-byte copier header
  PACK                  with --export, the room pack only
  PNG                   with --picture, the picture only; a file already
                        there is replaced only when it is a PNG

Exit status:
  0  the run succeeded (or --help, --version, --inspect)
  1  the run failed: one line says why, and no new ROM is written
  2  usage error (unknown option, option without its value, options or
     arguments that do not go together): nothing opened or created
)";
}

std::string VersionText() { return std::string("roomxfer ") + ROOMXFER_VERSION + "\n"; }
