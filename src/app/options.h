// The command line: options and the positional SOURCE [DESTINATION [ROOMS]].
//
// An argument is an option only when it starts with "--" followed by a
// letter ("--map"); every other argument is positional, also one that starts
// with a single "-" (the room list "-5-10", a file "-a.sfc") or with "--" and
// something else (the room list "--3--8-"). A lone "--" ends the options: every
// later argument is positional. Options may stand before, between or after the
// positional arguments. An option's value is the next argument, or follows
// "=" in the same argument ("--rooms=1:2").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The exit status after a usage error; nothing has been opened or created.
constexpr int USAGE_ERROR_STATUS = 2;

struct CommandLine {
  std::vector<std::string> positionals;  // SOURCE [DESTINATION [ROOMS]], later ones ignored
  bool help = false;
  bool version = false;
  bool map = false;
  bool dryRun = false;
  bool verify = false;
  bool fixChecksum = false;
  std::optional<std::string> inspectRom;
  std::optional<std::string> exportPack;  // --export PACK: positionals are ROM [ROOMS]
  std::optional<std::string>
      picture;                       // --picture PNG: positionals are SOURCE [DESTINATION] [ROOMS]
  std::optional<std::string> rooms;  // the --rooms list
  bool editable = false;             // --editable: the layout dungeon editors keep working on
  std::optional<std::string> base;   // the --base OFFSET as given
  std::int64_t relocationBase = 0;   // where the relocated area starts, once the line is checked
};

struct ParsedCommandLine {
  CommandLine line;
  std::string usageError;  // empty when usable, else one line ending in "\n"
};

// Sorts the arguments (without the program name) into options and
// positionals and checks that the options go together. With --help or
// --version only the first error in reading the arguments counts.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The positionals of --picture. A picture of one ROM may take ROOMS right
// after SOURCE: a second argument made of decimal digits and "-" only (and
// no third) is that room list, not a DESTINATION.
struct PictureArguments {
  std::string source;
  std::optional<std::string> destination;
  std::optional<std::string> roomList;
};

// `positionals` holds one to three arguments.
PictureArguments TakePictureArguments(const std::vector<std::string>& positionals);

// Where --editable puts the relocated area unless --base says otherwise: above
// everything the dungeon editors write.
constexpr std::int64_t EDITABLE_BASE = 0x200000;

// What --help prints.
std::string HelpText();

// What --version prints: "roomxfer " and the project's version.
std::string VersionText();
