// Every bad input is answered with one line naming the file and the problem,
// exit status 1, the input files byte for byte unchanged, nothing under the
// output name and an earlier output of that name kept; and the inputs that
// only look odd (the same file twice, unusual names) are normal runs.
//
// Cases covered elsewhere, not repeated here: run_test.cpp (RunFailures: a
// missing source, a directory as source, a missing destination after a
// headered source, the output's and the headerless copy's directory missing,
// the room-list messages); file_safety_test.cpp (CollidingFiles: the output
// is the source by the same path, by "./" and through a link, the output is
// the source's headerless copy, the copy is the destination, the same
// headered file as source and destination; FailedRuns: a header table past
// the end of the file with an earlier output kept, inputs over 16 MiB as
// sparse files, a write that fails part-way); disk_full_test.cpp (writes that
// fail for lack of room).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fixture/test_image.h"
#include "rom/format.h"
#include "tables/game_code.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;
namespace fs = std::filesystem;

const ByteList EARLIER_OUTPUT = {0x45, 0x61, 0x72, 0x6C, 0x79};

ByteList GoodRom(const fixture::RomOptions& options = {}) {
  return fixture::BuildRom(fixture::SimpleRooms(), options);
}

// Every entry below the workspace: file contents, link targets, directories.
std::map<std::string, ByteList> Snapshot(const Workspace& workspace) {
  std::map<std::string, ByteList> entries;
  for (const auto& entry : fs::recursive_directory_iterator(workspace.directory.path)) {
    const std::string name =
        fixture::Utf8Name(fs::relative(entry.path(), workspace.directory.path));
    if (entry.is_symlink()) {
      entries[name] = fixture::TextBytes("link to " + fs::read_symlink(entry.path()).string());
    } else if (entry.is_directory()) {
      entries[name] = fixture::TextBytes("directory");
    } else {
      entries[name] = workspace.Get(name);
    }
  }
  return entries;
}

// What a refused run must leave: every earlier entry as it was, plus only
// the headerless copies the run made before the failure.
void ExpectRefusal(const Workspace& workspace, const std::vector<std::string>& arguments,
                   const std::string& expectedOutput,
                   const std::set<std::string>& newEntries = {}) {
  const std::map<std::string, ByteList> before = Snapshot(workspace);
  const fixture::RunResult result = workspace.Run(arguments);
  EXPECT_EQ(result.output, expectedOutput);
  EXPECT_EQ(result.exitStatus, 1);
  std::map<std::string, ByteList> after = Snapshot(workspace);
  for (const std::string& name : newEntries) {
    EXPECT_EQ(after.erase(name), 1u) << name << " was not made";
  }
  EXPECT_EQ(after, before) << "files changed, appeared or went away";
}

// The failure line of a read outside the file; the earlier lines are progress lines.
std::string LastLine(const std::string& output) {
  const std::size_t start = output.rfind('\n', output.size() >= 2 ? output.size() - 2 : 0);
  return start == std::string::npos ? output : output.substr(start + 1);
}

// ---------------------------------------------------------------------------
// Files that are not ROM images of the game. Such a file gets no headerless
// copy (the lines name the image the offsets are of, as always).

struct FileCase {
  std::string title;
  std::function<void(const Workspace&)> makeFile;  // makes "x.sfc"
  std::string lineAsSource;
  std::string lineAsDestination;
  std::set<std::string> copies;  // headerless copies made before the failure
};

void PutBytes(const Workspace& workspace, const ByteList& bytes) { workspace.Put("x.sfc", bytes); }

TEST(BadInputFiles, FilesThatAreNoRomImageAreRefusedAsSourceAndAsDestination) {
  const ByteList signature(fixture::SIGNATURE.begin(), fixture::SIGNATURE.end());
  ByteList shortWithoutSignature(0x300, 0x00);
  ByteList shiftedRom = GoodRom();
  shiftedRom[0] = 0x18;  // not the signature: taken for a copier header and dropped
  const auto outside = [](const std::string& file, const char* bytes) {
    return file +
           ": cannot read the code in front of the header table field at offset 0xB5DC: "
           "it lies outside the file (" +
           bytes + " bytes).\n";
  };
  const FileCase cases[] = {
      {"missing file",
       [](const Workspace&) {},
       "Could not open source ROM file x.sfc.\n",
       "Could not open destination ROM file x.sfc.\n",
       {}},
      {"directory",
       [](const Workspace& w) { fs::create_directory(w.Path("x.sfc")); },
       "Could not open source ROM file x.sfc.\n",
       "Could not open destination ROM file x.sfc.\n",
       {}},
      {"empty file",
       [](const Workspace& w) { PutBytes(w, {}); },
       outside("_NoHeader_x.sfc", "0x0"),
       outside("_NoHeader_x.sfc", "0x0"),
       {}},
      {"4 bytes of the signature",
       [&](const Workspace& w) { PutBytes(w, ByteList(signature.begin(), signature.begin() + 4)); },
       outside("_NoHeader_x.sfc", "0x0"),
       outside("_NoHeader_x.sfc", "0x0"),
       {}},
      {"the 5 bytes of the signature",
       [&](const Workspace& w) { PutBytes(w, signature); },
       outside("x.sfc", "0x5"),
       outside("x.sfc", "0x5"),
       {}},
      {"0x200 bytes",
       [](const Workspace& w) { PutBytes(w, ByteList(0x200, 0x11)); },
       outside("_NoHeader_x.sfc", "0x0"),
       outside("_NoHeader_x.sfc", "0x0"),
       {}},
      {"0x201 bytes",
       [](const Workspace& w) { PutBytes(w, ByteList(0x201, 0x11)); },
       outside("_NoHeader_x.sfc", "0x1"),
       outside("_NoHeader_x.sfc", "0x1"),
       {}},
      {"too short once the header is dropped",
       [&](const Workspace& w) { PutBytes(w, shortWithoutSignature); },
       outside("_NoHeader_x.sfc", "0x100"),
       outside("_NoHeader_x.sfc", "0x100"),
       {}},
      {"a headerless ROM without the signature",
       [&](const Workspace& w) { PutBytes(w, shiftedRom); },
       "_NoHeader_x.sfc: unsupported ROM: the header table code at offset 0xB5DC holds 0x00 "
       "where the game has 0xBF.\n",
       "_NoHeader_x.sfc: unsupported ROM: the header table code at offset 0xB5DC holds 0x00 "
       "where the game has 0xBF.\n",
       {}},
  };
  for (const FileCase& c : cases) {
    for (const bool asSource : {true, false}) {
      SCOPED_TRACE(c.title + (asSource ? " as source" : " as destination"));
      Workspace workspace;
      workspace.Put("a.sfc", GoodRom());
      workspace.Put("_x.sfc", EARLIER_OUTPUT);
      workspace.Put("_a.sfc", EARLIER_OUTPUT);
      c.makeFile(workspace);
      ExpectRefusal(workspace,
                    asSource ? std::vector<std::string>{"x.sfc", "a.sfc"}
                             : std::vector<std::string>{"a.sfc", "x.sfc"},
                    asSource ? c.lineAsSource : c.lineAsDestination, c.copies);
    }
  }
}

// ---------------------------------------------------------------------------
// Images cut off before the fixed fields: every field the readers use lies
// past the end in turn. The run stops at the first read past the end.

TEST(BadInputFiles, ImagesCutBeforeEachFixedFieldAreRefused) {
  std::vector<std::uint32_t> cuts = {0x3B500,
                                     0x4C296,
                                     0x4C297,
                                     0x4C298,
                                     0x4C299,
                                     fixture::HEADER_TABLE,
                                     fixture::LAYER_TABLE,
                                     fixture::DOOR_TABLE,
                                     fixture::SPRITE_TABLE,
                                     fixture::ITEM_TABLE,
                                     fixture::PIT_LIST,
                                     fixture::CHEST_TABLE,
                                     fixture::TORCH_TABLE,
                                     fixture::BLOCK_TABLE,
                                     fixture::LAYER_DATA};
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) {
    cuts.push_back(check.offset);      // the opcode
    cuts.push_back(check.offset + 1);  // its operand
  }
  const ByteList rom = GoodRom();
  bool asSource = false;
  for (const std::uint32_t cut : cuts) {
    asSource = !asSource;  // every other cut image is the source
    SCOPED_TRACE(Format("cut at 0x%X as %s", cut, asSource ? "source" : "destination"));
    Workspace workspace;
    workspace.Put("a.sfc", rom);
    workspace.Put("b.sfc", ByteList(rom.begin(), rom.begin() + cut));
    workspace.Put("_b.sfc", EARLIER_OUTPUT);
    const std::map<std::string, ByteList> before = Snapshot(workspace);
    const fixture::RunResult result =
        workspace.Run(asSource ? std::vector<std::string>{"b.sfc", "a.sfc"}
                               : std::vector<std::string>{"a.sfc", "b.sfc"});
    EXPECT_EQ(result.exitStatus, 1);
    std::smatch found;
    const std::string line = result.output;
    ASSERT_TRUE(std::regex_match(line, found,
                                 std::regex(Format("b\\.sfc: cannot read the [a-z0-9 ]+ at offset "
                                                   "0x([0-9A-F]+): it lies outside the file "
                                                   "\\(0x%X bytes\\)\\.\n",
                                                   cut))))
        << line;
    EXPECT_GE(std::stoul(found[1], nullptr, 16) + 2, cut) << line;
    EXPECT_EQ(Snapshot(workspace), before);
  }
}

TEST(BadInputFiles, CutBeforeTheFirstCheckedCodeNamesThatCode) {
  Workspace workspace;
  const ByteList rom = GoodRom();
  workspace.Put("a.sfc", rom);
  workspace.Put("b.sfc", ByteList(rom.begin(), rom.begin() + 0x4C296));
  workspace.Put("_b.sfc", EARLIER_OUTPUT);
  ExpectRefusal(workspace, {"a.sfc", "b.sfc"},
                "b.sfc: cannot read the sprite table code at offset 0x4C296: it lies outside "
                "the file (0x4C296 bytes).\n");
}

// ---------------------------------------------------------------------------
// Room data that lie past the end of the file: a pointer or address past the
// end, a scan that runs off the end, a count that reaches past the end. The
// message table cannot lie past the end of a file that holds the game's code:
// its address is in bank 0x07, below the sprite code at 0x4C296.

struct RoomDataCase {
  std::string title;
  fixture::RomOptions options;
  std::function<void(ByteList&)> damage;
  std::string expectedLine;  // the failure line, naming b.sfc
};

constexpr std::uint32_t END = 0x100000;  // the size of the fixture's images

void PointAt(ByteList& rom, std::uint32_t field, std::uint32_t offset) {
  fixture::PutLong(rom, field, fixture::PcToSnes(offset));
}

// Moves `count` bytes from `from` to `to`, where the reader finds them now.
void Move(ByteList& rom, std::uint32_t from, std::uint32_t to, std::uint32_t count) {
  const ByteList bytes = fixture::Slice(rom, from, count);
  std::fill(rom.begin() + from, rom.begin() + from + count, 0x00);
  for (std::uint32_t i = 0; i < count && to + i < rom.size(); ++i) rom[to + i] = bytes[i];
}

std::string Outside(const std::string& what, std::uint32_t offset, std::uint32_t size = END) {
  return Format(
      "b.sfc: cannot read the %s at offset 0x%X: it lies outside the file (0x%X "
      "bytes).\n",
      what.c_str(), offset, size);
}

std::vector<RoomDataCase> RoomDataCases() {
  fixture::RomOptions loaderForm;
  loaderForm.spriteLoaderForm = true;
  // The loader-form sprite table and lists moved into the file's last bank (0x1F).
  const auto spritesInLastBank = [](ByteList& rom) {
    Move(rom, fixture::LOADER_SPRITE_TABLE, 0xF8000, 0x8000);
    rom[fixture::LOADER + fixture::LOADER_BANK_BYTE] = 0x1F;
  };
  return {
      {"header of a room past the end",
       {},
       [](ByteList& rom) {
         rom.resize(0xF8000);
         rom[fixture::HEADER_BANK_FIELD] = 0x1F;  // every header now in bank 0x1F
       },
       Outside("header of room 0", 0xF8280, 0xF8000)},
      {"header of a room reaching past the end",
       {},
       [](ByteList& rom) {
         rom[fixture::HEADER_BANK_FIELD] = 0x1F;
         fixture::PutWord(rom, fixture::HEADER_TABLE,
                          static_cast<std::uint16_t>(fixture::PcToSnes(END - 5)));
       },
       Outside("header of room 0", END)},
      {"layer pointer table running past the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::LAYER_TABLE_FIELD, END - 0x100); },
       Outside("layer pointer table", 0xFFFFF)},
      {"layer data of a room past the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::LAYER_TABLE + 3 * 7, END); },
       Outside("layer data of room 7", END)},
      {"layer scan running off the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::LAYER_TABLE + 3 * 7, END - 6); },
       Outside("layer data of room 7", END - 1)},
      {"door pointer table running past the end",
       {},
       [](ByteList& rom) {
         for (std::size_t i = 0; i < fixture::DOOR_TABLE_FIELDS.size(); ++i) {
           fixture::PutLong(rom, fixture::DOOR_TABLE_FIELDS[i],
                            fixture::PcToSnes(END - 0x200) + fixture::DOOR_TABLE_FIELD_ADDENDS[i]);
         }
       },
       Outside("door pointer table", END - 0x200)},
      {"sprite loader past the end", loaderForm,
       [](ByteList& rom) { PointAt(rom, fixture::SPRITE_CODE + 1, END); },
       Outside("sprite pointer loader", END)},
      {"sprite list of a room past the end", loaderForm,
       [&](ByteList& rom) {
         spritesInLastBank(rom);
         fixture::PutWord(rom, 0xF8000 + 2 * 12, 0xFF00);
         rom.resize(0xFC000);
       },
       Outside("sprite list of room 12", 0xFFF00, 0xFC000)},
      {"sprite list running off the end", loaderForm,
       [&](ByteList& rom) {
         spritesInLastBank(rom);
         fixture::PutWord(rom, 0xF8000 + 2 * 12, 0xBFF8);
         rom.resize(0xFC000);
       },
       Outside("sprite list of room 12", 0xFC000, 0xFC000)},
      {"item list of a room past the end",
       {},
       [](ByteList& rom) {
         rom.resize(0xF8000);
         rom[fixture::ITEM_BANK_FIELD] = 0x1F;
       },
       Outside("item list of room 0", 0xF8280, 0xF8000)},
      {"item scan running off the end",
       {},
       [](ByteList& rom) { rom[fixture::ITEM_BANK_FIELD] = 0x1F; },
       Outside("item list of room 0", END - 1)},
      {"pushable block window past the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::BLOCK_WINDOW_FIELDS[0], END); },
       Outside("pushable block table entry at byte 0", END)},
      {"pushable block count reaching past the end",
       {},
       [](ByteList& rom) {
         Move(rom, fixture::BLOCK_TABLE, END - 0x40, 0x80);
         PointAt(rom, fixture::BLOCK_WINDOW_FIELDS[0], END - 0x40);
       },
       Outside("pushable block table entry at byte 64", END)},
      {"torch window past the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::TORCH_WINDOW_FIELDS[0], END); },
       Outside("torch table word at byte 0", END)},
      {"torch count reaching past the end",
       {},
       [](ByteList& rom) {
         Move(rom, fixture::TORCH_TABLE, END - 0x80, 0x80);
         Move(rom, fixture::TORCH_TABLE + 0x80, END, 0x80);
         PointAt(rom, fixture::TORCH_WINDOW_FIELDS[0], END - 0x80);
         PointAt(rom, fixture::TORCH_WINDOW_FIELDS[1], END);
       },
       Outside("torch table word at byte 128", END)},
      {"chest table past the end",
       {},
       [](ByteList& rom) {
         for (const std::uint32_t field : fixture::CHEST_TABLE_FIELDS) PointAt(rom, field, END);
       },
       Outside("chest table entry at byte 0", END)},
      {"chest count reaching past the end",
       {},
       [](ByteList& rom) {
         Move(rom, fixture::CHEST_TABLE, END - 12, 0x100);
         PointAt(rom, fixture::CHEST_TABLE_FIELDS[0], END - 12);
       },
       Outside("chest table entry at byte 12", END)},
      {"pit room list past the end",
       {},
       [](ByteList& rom) { PointAt(rom, fixture::PIT_LIST_FIELD, END); },
       Outside("pit room list", END)},
      {"pit last index reaching past the end",
       {},
       [](ByteList& rom) {
         Move(rom, fixture::PIT_LIST, END - 8, 0x80);
         PointAt(rom, fixture::PIT_LIST_FIELD, END - 8);
       },
       Outside("pit room list", END)},
  };
}

TEST(BadInputFiles, RoomDataPastTheEndOfTheFileAreRefused) {
  for (const RoomDataCase& c : RoomDataCases()) {
    SCOPED_TRACE(c.title);
    ByteList damaged = GoodRom(c.options);
    c.damage(damaged);
    Workspace workspace;
    workspace.Put("a.sfc", GoodRom());
    workspace.Put("b.sfc", damaged);
    workspace.Put("_b.sfc", EARLIER_OUTPUT);
    const std::map<std::string, ByteList> before = Snapshot(workspace);
    const fixture::RunResult result = workspace.Run({"a.sfc", "b.sfc"});
    EXPECT_EQ(result.exitStatus, 1);
    // A loader-form ROM prints its loader's values before its tables are read.
    EXPECT_EQ(LastLine(result.output), c.expectedLine) << result.output;
    EXPECT_EQ(Snapshot(workspace), before);
  }
}

// Tables the writers rewrite where the destination holds them must not
// overlap each other nor the game code the tool reads or patches.
TEST(BadInputFiles, TablesRewrittenInPlaceThatOverlapAreRefused) {
  const struct {
    const char* title;
    std::function<void(ByteList&)> damage;
    std::string expectedLine;
  } cases[] = {
      {"message table over the layer pointer table",
       [](ByteList& rom) { fixture::PutWord(rom, fixture::MESSAGE_TABLE_FIELD, 0x0000); },
       "b.sfc: the layer pointer table at offset 0x28000 and the message table at offset "
       "0x28000 overlap; rewriting one would destroy the other.\n"},
      {"header table over the layer table code",
       [](ByteList& rom) { PointAt(rom, fixture::HEADER_TABLE_FIELD, 0x8700); },
       "b.sfc: the room header pointer table at offset 0x8700 overlaps the game's layer table "
       "code at offset 0x874B; rewriting the table would destroy the code.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ByteList damaged = GoodRom();
    c.damage(damaged);
    Workspace workspace;
    workspace.Put("a.sfc", GoodRom());
    workspace.Put("b.sfc", damaged);
    workspace.Put("_b.sfc", EARLIER_OUTPUT);
    const std::map<std::string, ByteList> before = Snapshot(workspace);
    const fixture::RunResult result = workspace.Run({"a.sfc", "b.sfc"});
    EXPECT_EQ(result.exitStatus, 1);
    // The writers' progress lines come first.
    EXPECT_EQ(LastLine(result.output), c.expectedLine) << result.output;
    EXPECT_NE(result.output.find("WriteRoomMessages(): uiDataSize = 20\n"), std::string::npos);
    EXPECT_EQ(Snapshot(workspace), before);
  }
}

// ---------------------------------------------------------------------------
// Output names that cannot be written, and outputs or copies that would be
// written over an input.

TEST(BadOutputNames, OutputNameTakenByADirectoryIsRefused) {
  Workspace workspace;
  workspace.Put("a.sfc", GoodRom());
  workspace.Put("b.sfc", GoodRom());
  fs::create_directory(workspace.Path("_b.sfc"));
  workspace.Put("_b.sfc/kept", EARLIER_OUTPUT);
  ExpectRefusal(workspace, {"a.sfc", "b.sfc"}, "Could not open new ROM file _b.sfc");
}

TEST(BadOutputNames, FilesWrittenOverAnInputThroughALinkAreRefused) {
  const ByteList headered = fixture::WithCopierHeader(GoodRom());
  const struct {
    const char* title;
    const char* link;
    const char* target;
    std::vector<std::string> arguments;
    std::string line;
  } cases[] = {
      {"output is the destination through a link",
       "_b.sfc",
       "b.sfc",
       {"a.sfc", "b.sfc"},
       "Refusing to write _b.sfc (the output ROM): it is the same file as the destination ROM "
       "b.sfc.\n"},
      {"headerless copy is the destination through a link",
       "_NoHeader_h.smc",
       "b.sfc",
       {"h.smc", "b.sfc"},
       "Refusing to write _NoHeader_h.smc (the headerless copy of the source ROM): it is the "
       "same file as the destination ROM b.sfc.\n"},
      {"headerless copy is its own ROM through a link",
       "_NoHeader_h.smc",
       "h.smc",
       {"a.sfc", "h.smc"},
       "Refusing to write _NoHeader_h.smc (the headerless copy of the destination ROM): it is "
       "the same file as the destination ROM h.smc.\n"},
      {"picture is the destination through a link",
       "p.png",
       "b.sfc",
       {"--picture", "p.png", "a.sfc", "b.sfc", "1-1"},
       "Refusing to write p.png (the picture): it is the same file as the destination ROM "
       "b.sfc.\n"},
      {"output is the source's copy by another path",
       "_NoHeader_h.smc",
       "_x.smc",
       {"h.smc", "x.smc"},
       "Refusing to write _x.smc (the output ROM): it is the same file as the headerless copy "
       "of the source ROM _NoHeader_h.smc.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("a.sfc", GoodRom());
    workspace.Put("b.sfc", GoodRom());
    workspace.Put("x.smc", headered);
    workspace.Put("h.smc", headered);
    if (!workspace.Has(c.target)) workspace.Put(c.target, EARLIER_OUTPUT);
    e2e::Link(workspace, c.target, c.link);
    ExpectRefusal(workspace, c.arguments, c.line);
  }
}

// ---------------------------------------------------------------------------
// Inputs that only look odd: normal runs that leave the inputs unchanged.

void ExpectNormalRun(const Workspace& workspace, const std::vector<std::string>& arguments,
                     const std::string& output, const std::set<std::string>& made) {
  std::map<std::string, ByteList> before = Snapshot(workspace);
  const fixture::RunResult result = workspace.Run(arguments);
  EXPECT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_NE(result.output.find("WriteRoomMessages(): uiDataSize = 20\n"), std::string::npos);
  std::map<std::string, ByteList> after = Snapshot(workspace);
  ASSERT_EQ(after.count(output), 1u) << output;
  EXPECT_EQ(after[output].size(), 0x300000u);
  for (const std::string& name : made) EXPECT_EQ(after.count(name), 1u) << name;
  for (const auto& [name, bytes] : before) {
    if (name != output) {
      EXPECT_EQ(after[name], bytes) << name;
    }
  }
}

TEST(OddInputs, SameFileAsSourceAndDestinationIsANormalRun) {
  const ByteList rom = GoodRom();
  const ByteList headered = fixture::WithCopierHeader(rom);
  const struct {
    const char* title;
    std::vector<std::string> arguments;
    std::string output;
    std::set<std::string> made;
  } cases[] = {
      {"same name", {"b.sfc", "b.sfc", "3-8-8-3"}, "_b.sfc", {}},
      {"another path", {"./b.sfc", "b.sfc"}, "_b.sfc", {}},
      {"through a link", {"b.sfc", "l.sfc"}, "_l.sfc", {}},
      {"with copier header, same name", {"h.smc", "h.smc"}, "_h.smc", {"_NoHeader_h.smc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("b.sfc", rom);
    workspace.Put("h.smc", headered);
    e2e::Link(workspace, "b.sfc", "l.sfc");
    ExpectNormalRun(workspace, c.arguments, c.output, c.made);
  }
}

TEST(OddInputs, UnusualFileNamesWork) {
  const ByteList rom = GoodRom();
  const ByteList headered = fixture::WithCopierHeader(rom);
  const struct {
    std::string source;
    std::string destination;
    std::set<std::string> made;
  } cases[] = {
      {"my rom.sfc", "other rom.smc", {"_NoHeader_other rom.smc"}},
      {"r\xC3\xB6m \xE3\x83\xAD\xE3\x83\xA0.sfc",
       "z\xC3\xA9lda.smc",
       {"_NoHeader_z\xC3\xA9lda.smc"}},
      {"-a.sfc", "-b.smc", {"_NoHeader_-b.smc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    Workspace workspace;
    workspace.Put(c.source, rom);
    workspace.Put(c.destination, headered);
    ExpectNormalRun(workspace, {c.source, c.destination, "1-2"}, "_" + c.destination, c.made);
    EXPECT_EQ(workspace.Get(*c.made.begin()), rom);
  }
}

}  // namespace
