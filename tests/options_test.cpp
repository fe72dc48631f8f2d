// The command-line options: how arguments are told apart, the usage errors,
// and what each option does to a run, through the real executable where the
// files and the exit status matter.
#include "app/options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "app/inspect.h"
#include "app/job/transfer_job.h"
#include "app/map.h"
#include "app/rooms_option.h"
#include "app/verify.h"
#include "e2e_support.h"
#include "rom/open_rom.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;
using Arguments = std::vector<std::string>;

constexpr std::size_t TWO_MIB = 0x200000;
constexpr std::size_t OUTPUT_SIZE = 0x300000;
const std::string DRY_RUN_LINE = "Dry run: nothing was written.\n";

// The ROMs of these tests: a headerless source and a destination with a
// copier header, built once.
const ByteList& SourceRom() {
  static const ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  return rom;
}
const ByteList& DestinationRom() {
  static const ByteList rom = fixture::BuildRom(fixture::RandomRooms(5));
  return rom;
}

// A workspace holding a.sfc (the source) and h.smc (the destination behind a
// copier header).
struct RomWorkspace : Workspace {
  RomWorkspace() {
    Put("a.sfc", SourceRom());
    Put("h.smc", fixture::WithCopierHeader(DestinationRom()));
  }
};

// The job in memory on the same two ROMs, named as a run names them.
TransferResult JobInMemory(const RoomList& sourceRooms, const RoomList& destinationRooms) {
  InputRom source = PrepareInputRom("a.sfc", SourceRom());
  InputRom destination = PrepareInputRom("h.smc", fixture::WithCopierHeader(DestinationRom()));
  return RunTransferJob(source.image, destination.image, sourceRooms, destinationRooms, "_h.smc");
}

// --- Reading the command line -------------------------------------------

struct ParseCase {
  Arguments arguments;
  Arguments positionals;
  std::string usageError;
};

TEST(CommandLine, OnlyDoubleDashAndALetterMakeAnOption) {
  const ParseCase cases[] = {
      {{"a.sfc"}, {"a.sfc"}, ""},
      {{"--map", "a.sfc", "--dry-run", "b.sfc", "1-2", "--verify"}, {"a.sfc", "b.sfc", "1-2"}, ""},
      {{"-a.sfc", "-b.sfc", "-5-10"}, {"-a.sfc", "-b.sfc", "-5-10"}, ""},
      {{"a.sfc", "b.sfc", "--3--8-"}, {"a.sfc", "b.sfc", "--3--8-"}, ""},
      {{"a.sfc", "b.sfc", "---"}, {"a.sfc", "b.sfc", "---"}, ""},
      {{"a.sfc", "b.sfc", "--5"}, {"a.sfc", "b.sfc", "--5"}, ""},
      {{"--", "--map", "--x"}, {"--map", "--x"}, ""},
      {{"a.sfc", "--", "--"}, {"a.sfc", "--"}, ""},
      {{"a.sfc", "b.sfc", "1-2", "4", "5"}, {"a.sfc", "b.sfc", "1-2", "4", "5"}, ""},
      {{"--Map", "a.sfc"}, {}, "Unknown option --Map (roomxfer --help lists the options).\n"},
      {{"a.sfc", "--map.sfc"},
       {},
       "Unknown option --map.sfc (roomxfer --help lists the options).\n"},
      {{"--bogus=1"}, {}, "Unknown option --bogus (roomxfer --help lists the options).\n"},
      {{"--map=yes", "a.sfc"}, {}, "Option --map takes no value.\n"},
      {{"a.sfc", "--rooms"}, {}, "Option --rooms needs a value: --rooms LIST.\n"},
      {{"--inspect", "--map"}, {}, "Option --inspect needs a value: --inspect ROM.\n"},
      {{"--rooms", "1:2", "a.sfc", "--rooms=3:4"}, {}, "Option --rooms is given twice.\n"},
      {{"--rooms", "1:2", "a.sfc", "b.sfc", "3-4"},
       {},
       "Give the room list either as ROOMS or with --rooms, not both.\n"},
      {{"--inspect", "a.sfc", "b.sfc"},
       {},
       "--inspect ROM takes no SOURCE, DESTINATION or ROOMS argument.\n"},
      {{"--inspect", "a.sfc", "--dry-run"},
       {},
       "Options --inspect and --dry-run cannot be used together.\n"},
      {{"--fix-checksum", "--inspect=a.sfc"},
       {},
       "Options --inspect and --fix-checksum cannot be used together.\n"},
      {{"--picture", "p.png", "a.sfc", "b.sfc", "1-2"}, {"a.sfc", "b.sfc", "1-2"}, ""},
      {{"--picture=p.png", "--rooms", "5", "a.sfc", "b.sfc"}, {"a.sfc", "b.sfc"}, ""},
      {{"--picture", "p.png", "a.sfc", "--verify"},
       {},
       "Options --picture and --verify cannot be used together.\n"},
      {{"--picture", "p.png", "--inspect", "a.sfc"},
       {},
       "Options --inspect and --picture cannot be used together.\n"},
      {{"--export", "x.pack", "a.sfc", "--picture", "p.png"},
       {},
       "Options --export and --picture cannot be used together.\n"},
      {{"--picture", "p.png", "a.sfc", "18-18", "--rooms", "5"},
       {},
       "Give the room list either as ROOMS or with --rooms, not both.\n"},
      {{"--picture", "p.png", "a.sfc", "b.sfc", "1-2", "3-4"},
       {},
       "--picture PNG takes the ROM to draw, an optional DESTINATION and an optional ROOMS: "
       "--picture PNG SOURCE [DESTINATION] [ROOMS].\n"},
      // Help and version leave the combination unchecked, not the reading.
      {{"--help", "--inspect", "a.sfc", "b.sfc"}, {"b.sfc"}, ""},
      {{"--version", "--bogus"},
       {},
       "Unknown option --bogus (roomxfer --help lists the options).\n"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.usageError, c.usageError);
    if (c.usageError.empty()) {
      EXPECT_EQ(parsed.line.positionals, c.positionals);
    }
  }
}

TEST(CommandLine, OptionValuesAndFlagsAreTaken) {
  const ParsedCommandLine parsed = ParseCommandLine(
      {"--rooms", "--3:4", "a.sfc", "--fix-checksum", "--map", "--verify", "--dry-run"});
  ASSERT_EQ(parsed.usageError, "");
  EXPECT_EQ(parsed.line.rooms, "--3:4");
  EXPECT_TRUE(parsed.line.fixChecksum && parsed.line.map && parsed.line.verify &&
              parsed.line.dryRun);
  EXPECT_FALSE(parsed.line.help || parsed.line.version || parsed.line.inspectRom);

  const ParsedCommandLine inspect = ParseCommandLine({"--rooms=", "--inspect", "-x.smc"});
  ASSERT_EQ(inspect.usageError, "");
  EXPECT_EQ(inspect.line.rooms, "");
  EXPECT_EQ(inspect.line.inspectRom, "-x.smc");
}

// A second argument of digits and "-" only is a one-ROM picture's room list.
TEST(CommandLine, PictureTellsRoomsAfterSourceFromADestination) {
  const std::pair<Arguments, PictureArguments> cases[] = {
      {{"a.sfc"}, {"a.sfc", std::nullopt, std::nullopt}},
      {{"a.sfc", "18-18"}, {"a.sfc", std::nullopt, "18-18"}},
      {{"a.sfc", "-7"}, {"a.sfc", std::nullopt, "-7"}},
      {{"a.sfc", "---"}, {"a.sfc", "---", std::nullopt}},
      {{"a.sfc", "18-18.sfc"}, {"a.sfc", "18-18.sfc", std::nullopt}},
      {{"a.sfc", "12", "1-2"}, {"a.sfc", "12", "1-2"}},
  };
  for (const auto& [positionals, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(positionals));
    const PictureArguments taken = TakePictureArguments(positionals);
    EXPECT_EQ(taken.source, expected.source);
    EXPECT_EQ(taken.destination, expected.destination);
    EXPECT_EQ(taken.roomList, expected.roomList);
  }
}

// --- The --rooms list -----------------------------------------------------

struct RoomsCase {
  std::string list;
  RoomList sourceRooms;
  RoomList destinationRooms;
};

TEST(RoomsOption, ItemsGivePairsInTheirOrder) {
  const RoomsCase cases[] = {
      {"0x60..0x63:0x100,$12:$40",
       {0x60, 0x61, 0x62, 0x63, 0x12},
       {0x100, 0x101, 0x102, 0x103, 0x40}},
      {"5:10,6:10,5:11", {5, 6, 5}, {10, 10, 11}},
      {"319:0,0X13f:$0,$13F:0x0", {319, 319, 319}, {0, 0, 0}},
      {"7..7:8", {7}, {8}},
      {"310..319:0",
       {310, 311, 312, 313, 314, 315, 316, 317, 318, 319},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"0..2:317", {0, 1, 2}, {317, 318, 319}},
      {"010:0x0a", {10}, {10}},
      {"$aB:$Cd", {0xAB}, {0xCD}},
  };
  for (const RoomsCase& c : cases) {
    SCOPED_TRACE(c.list);
    RoomList sourceRooms;
    RoomList destinationRooms;
    ASSERT_TRUE(ParseRoomsOption(c.list, sourceRooms, destinationRooms));
    EXPECT_EQ(sourceRooms, c.sourceRooms);
    EXPECT_EQ(destinationRooms, c.destinationRooms);
  }
}

TEST(RoomsOption, MalformedListsAndRoomsOutsideTheGameAreRefused) {
  const std::string lists[] = {
      "",
      "1",
      "1:",
      ":2",
      "1:2,",
      ",1:2",
      "1:2,,3:4",
      "1:2:3",
      "1-2",
      " 1:2",
      "1: 2",
      "320:0",
      "0:320",
      "0x140:0",
      "$140:0",
      "0x:1",
      "$:1",
      "0x1g:1",
      "1a:1",
      "-1:2",
      "+1:2",
      "5..4:0",
      "0..320:0",
      "310..319:311",
      "0..2:318",
      "1..2..3:4",
      "..3:4",
      "1..:4",
      "1...3:4",
      "99999999999:1",
      "0x100000000:1",
      "1:2 ",
      "１:2",
  };
  for (const std::string& list : lists) {
    RoomList sourceRooms;
    RoomList destinationRooms;
    EXPECT_FALSE(ParseRoomsOption(list, sourceRooms, destinationRooms)) << list;
  }
}

TEST(RoomsOption, InspectionTakesTheRoomsNamedOnEitherSide) {
  EXPECT_EQ(RoomsNamedIn({0x60, 0x61, 5, 5}, {0x100, 0x101, 0x60, 4}),
            (RoomList{4, 5, 0x60, 0x61, 0x100, 0x101}));
}

// --- Usage errors, help and version through the executable ------------------

TEST(Usage, ErrorsEndWithStatusTwoAndCreateNothing) {
  const std::pair<Arguments, std::string> cases[] = {
      {{"h.smc", "h.smc", "--bogus"},
       "Unknown option --bogus (roomxfer --help lists the options).\n"},
      {{"h.smc", "--rooms"}, "Option --rooms needs a value: --rooms LIST.\n"},
      {{"--inspect"}, "Option --inspect needs a value: --inspect ROM.\n"},
      {{"--dry-run=1", "h.smc"}, "Option --dry-run takes no value.\n"},
      {{"--rooms", "1:2", "h.smc", "h.smc", "3-4"},
       "Give the room list either as ROOMS or with --rooms, not both.\n"},
      {{"--inspect", "h.smc", "h.smc"},
       "--inspect ROM takes no SOURCE, DESTINATION or ROOMS argument.\n"},
      {{"--map", "--inspect", "h.smc"}, "Options --inspect and --map cannot be used together.\n"},
      {{"--picture", "p.png", "h.smc", "--editable"},
       "Options --picture and --editable cannot be used together.\n"},
  };
  RomWorkspace workspace;
  const std::set<std::string> before = workspace.Entries();
  for (const auto& [arguments, line] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const fixture::RunResult result = workspace.Run(arguments);
    EXPECT_EQ(result.output, line);
    EXPECT_EQ(result.exitStatus, USAGE_ERROR_STATUS);
    EXPECT_EQ(workspace.Entries(), before);
  }
}

TEST(Usage, HelpNamesEveryOptionTheRoomListsAndTheExitStatuses) {
  RomWorkspace workspace;
  const fixture::RunResult result = workspace.Run({"h.smc", "--help", "--map"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, HelpText());
  for (const char* text : {"--help",
                           "--version",
                           "--map",
                           "--dry-run",
                           "--verify",
                           "--inspect ROM",
                           "--rooms LIST",
                           "--fix-checksum",
                           "--editable",
                           "--base OFFSET",
                           "--picture PNG",
                           "Picture PNG: N rooms drawn",
                           "Keeping the ROM editable",
                           "SOURCE [DESTINATION [ROOMS]]",
                           "10-20-11-21",
                           "0x",
                           "$",
                           "..",
                           "_DESTINATION",
                           "_NoHeader_",
                           "Exit status",
                           "  0  ",
                           "  1  ",
                           "  2  "}) {
    EXPECT_NE(result.output.find(text), std::string::npos) << text;
  }
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 80u) << "wider than a terminal: " << line;
  }
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "h.smc"}));
}

TEST(Usage, VersionIsTheProjectVersion) {
  RomWorkspace workspace;
  const fixture::RunResult result = workspace.Run({"--version", "h.smc"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, std::string("roomxfer ") + ROOMXFER_VERSION + "\n");
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "h.smc"}));
}

// --- Arguments that look like options but are not ---------------------------

TEST(Positionals, DashedFileNamesAndRoomListsKeepTheirMeaning) {
  RomWorkspace workspace;
  workspace.Put("--x.sfc", SourceRom());
  workspace.Put("-a.sfc", SourceRom());

  // Both lists send room 3 onto room 8.
  const fixture::RunResult dashed = workspace.Run({"--", "--x.sfc", "--x.sfc", "--3--8-"});
  ASSERT_EQ(dashed.exitStatus, 0) << dashed.output;
  const fixture::RunResult single = workspace.Run({"-a.sfc", "-a.sfc", "-3-8"});
  ASSERT_EQ(single.exitStatus, 0) << single.output;
  EXPECT_EQ(dashed.output, single.output);
  EXPECT_EQ(workspace.Get("_--x.sfc"), workspace.Get("_-a.sfc"));

  const fixture::RunResult dashes = workspace.Run({"a.sfc", "a.sfc", "---"});
  EXPECT_EQ(dashes.output, "List of rooms is incorrect.\n");
  EXPECT_EQ(dashes.exitStatus, 1);
}

// --- What the options do to a run ---------------------------------------------

TEST(Options, MapAndVerifyPrintTheirTablesAndChangeNoFile) {
  RomWorkspace plainRun;
  RomWorkspace optionRun;
  const fixture::RunResult plain = plainRun.Run({"a.sfc", "h.smc", "1-2-3-4"});
  const fixture::RunResult withOptions =
      optionRun.Run({"--map", "a.sfc", "h.smc", "--verify", "1-2-3-4"});
  ASSERT_EQ(plain.exitStatus, 0) << plain.output;
  ASSERT_EQ(withOptions.exitStatus, 0) << withOptions.output;

  TransferResult job = JobInMemory({1, 3}, {2, 4});
  const VerifyReport report = VerifyOutput(job);
  EXPECT_EQ(report.unexpected, 0);
  EXPECT_EQ(withOptions.output, plain.output + FormatMap(job.out, job.layout) + report.text +
                                    "Game check not made: a.sfc does not hold the game's "
                                    "Underworld_LoadEntrance_DoPotsBlocksTorches at $02:DAF0.\n");

  EXPECT_EQ(optionRun.Entries(), plainRun.Entries());
  for (const char* name : {"_h.smc", "_NoHeader_h.smc"}) {
    EXPECT_EQ(optionRun.Get(name), plainRun.Get(name)) << name;
  }
  EXPECT_EQ(optionRun.Get("_h.smc"), job.out.bytes);
}

TEST(Options, RoomsListMovesTheSameRoomsAsThePositionalList) {
  RomWorkspace positionalRun;
  RomWorkspace optionRun;
  std::string positionalList;
  for (int room = 0x60; room <= 0x6F; ++room) {
    positionalList += std::to_string(room) + "-" + std::to_string(room - 0x60 + 0x100) + "-";
  }
  positionalList += "18-64";
  const fixture::RunResult positional = positionalRun.Run({"a.sfc", "h.smc", positionalList});
  const fixture::RunResult option =
      optionRun.Run({"a.sfc", "--rooms", "0x60..0x6F:0x100,$12:$40", "h.smc"});
  ASSERT_EQ(positional.exitStatus, 0) << positional.output;
  EXPECT_EQ(option.exitStatus, 0);
  EXPECT_EQ(option.output, positional.output);
  EXPECT_EQ(optionRun.Get("_h.smc"), positionalRun.Get("_h.smc"));
}

TEST(Options, RoomsListErrorsAreTheRunsOwn) {
  const std::pair<Arguments, std::string> cases[] = {
      {{"--rooms", "0x130..0x13F:0x138", "h.smc", "h.smc"}, "List of rooms is incorrect.\n"},
      {{"--rooms", "1:2,", "h.smc"}, "List of rooms is incorrect.\n"},
      {{"--rooms", "1:2"}, "Too few arguments\n"},
  };
  RomWorkspace workspace;
  for (const auto& [arguments, line] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const fixture::RunResult result = workspace.Run(arguments);
    EXPECT_EQ(result.output, line);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "h.smc"}));
  }
}

std::uint32_t SumOf(const ByteList& bytes, std::size_t start, std::size_t end) {
  std::uint32_t sum = 0;
  for (std::size_t i = start; i < end; ++i) {
    sum += bytes.at(i);
  }
  return sum;
}

TEST(Options, FixChecksumChangesOnlyTheInternalHeaderFields) {
  RomWorkspace plainRun;
  RomWorkspace fixedRun;
  ASSERT_EQ(plainRun.Run({"a.sfc", "h.smc"}).exitStatus, 0);
  const fixture::RunResult fixed = fixedRun.Run({"a.sfc", "h.smc", "--fix-checksum"});
  ASSERT_EQ(fixed.exitStatus, 0) << fixed.output;

  ByteList out = fixedRun.Get("_h.smc");
  ASSERT_EQ(out.size(), OUTPUT_SIZE);
  EXPECT_EQ(out.at(0x7FD7), 0x0C);
  const std::uint16_t complement = fixture::Word(out, 0x7FDC);
  const std::uint16_t checksum = fixture::Word(out, 0x7FDE);
  EXPECT_EQ(checksum + complement, 0xFFFF);
  // The console sees 3 MiB as 4 MiB: the last 1 MiB mirrored behind itself.
  const auto sum =
      static_cast<std::uint16_t>(SumOf(out, 0, TWO_MIB) + 2 * SumOf(out, TWO_MIB, OUTPUT_SIZE));
  EXPECT_EQ(sum, checksum);

  ByteList plain = plainRun.Get("_h.smc");
  for (const std::size_t offset : {0x7FD7, 0x7FDC, 0x7FDD, 0x7FDE, 0x7FDF}) {
    out.at(offset) = plain.at(offset);
  }
  EXPECT_EQ(out, plain);
}

// The dry run against the real one: the same lines and status, no file.
TEST(Options, DryRunPrintsWhatTheRunPrintsAndCreatesNothing) {
  const std::pair<std::string, Arguments> cases[] = {
      {"a run that writes", {"a.sfc", "h.smc", "5-6"}},
      {"one headered ROM", {"h.smc"}},
      {"missing destination", {"h.smc", "x.sfc"}},
      {"output directory missing", {"a.sfc", "roms/h.smc", "1-2"}},
      {"copy directory missing", {"lib/h.smc"}},
      {"output name taken by a directory", {"a.sfc", "d.sfc"}},
  };
  for (const auto& [title, arguments] : cases) {
    SCOPED_TRACE(title);
    RomWorkspace real;
    RomWorkspace dry;
    for (const RomWorkspace* workspace : {&real, &dry}) {
      workspace->Put("roms/h.smc", fixture::WithCopierHeader(DestinationRom()));
      workspace->Put("lib/h.smc", fixture::WithCopierHeader(DestinationRom()));
      workspace->Put("d.sfc", SourceRom());
      std::filesystem::create_directories(workspace->Path("_NoHeader_roms"));
      std::filesystem::create_directories(workspace->Path("_d.sfc"));
    }
    const std::set<std::string> before = dry.Entries();
    Arguments dryArguments = arguments;
    dryArguments.insert(dryArguments.begin() + 1, "--dry-run");
    const fixture::RunResult realResult = real.Run(arguments);
    const fixture::RunResult dryResult = dry.Run(dryArguments);
    EXPECT_EQ(dryResult.exitStatus, realResult.exitStatus);
    EXPECT_EQ(dryResult.output,
              realResult.output + (realResult.exitStatus == 0 ? DRY_RUN_LINE : ""));
    EXPECT_EQ(dry.Entries(), before);
  }
}

TEST(Options, InspectReadsOneRomAndWritesNothing) {
  RomWorkspace workspace;
  const fixture::RunResult all = workspace.Run({"--inspect", "h.smc"});
  ASSERT_EQ(all.exitStatus, 0) << all.output;
  RomImage image;
  image.name = "h.smc";
  image.bytes = DestinationRom();
  EXPECT_EQ(all.output, InspectRom(image, nullptr, OutputLayout{}));

  const fixture::RunResult some =
      workspace.Run({"--rooms", "0x10..0x11:300", "--inspect", "a.sfc"});
  ASSERT_EQ(some.exitStatus, 0) << some.output;
  image.name = "a.sfc";
  image.bytes = SourceRom();
  const RoomList named = {0x10, 0x11, 300, 301};
  EXPECT_EQ(some.output, InspectRom(image, &named, OutputLayout{}));
  EXPECT_NE(some.output, all.output);

  const std::pair<Arguments, std::string> failures[] = {
      {{"--inspect", "x.sfc"}, "Could not open ROM file x.sfc.\n"},
      {{"--inspect", "a.sfc", "--rooms", "1:"}, "List of rooms is incorrect.\n"},
  };
  for (const auto& [arguments, line] : failures) {
    const fixture::RunResult result = workspace.Run(arguments);
    EXPECT_EQ(result.output, line);
    EXPECT_EQ(result.exitStatus, 1);
  }
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "h.smc"}));
}

}  // namespace
