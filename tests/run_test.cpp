// The whole run through the real executable: arguments, messages, exit
// status, which files are created, and the output's bytes.
#include "app/run.h"

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "e2e_support.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

constexpr std::size_t OUTPUT_SIZE = 0x300000;
constexpr std::size_t MARKER_OFFSET = 0x1F8000;
const std::string MARKER = "Here come's Tamberu's Room Transfer code";

ByteList SimpleRom(const fixture::RomOptions& options = {}) {
  return fixture::BuildRom(fixture::SimpleRooms(), options);
}

struct FailureCase {
  std::string title;
  std::vector<std::string> arguments;
  std::string expectedOutput;
  std::set<std::string> expectedEntries;  // the workspace afterwards
};

TEST(RunFailures, EachMessageOfTheRunEndsItWithStatusOne) {
  const ByteList rom = SimpleRom();
  const ByteList headered = fixture::WithCopierHeader(rom);
  const FailureCase cases[] = {
      {"no argument", {}, "Too few arguments\n", {"a.sfc", "h.smc", "roms", "roms/h.smc"}},
      {"odd list", {"a.sfc", "a.sfc", "1-2-3"}, "List of rooms is incorrect.\n", {}},
      {"only dashes", {"a.sfc", "a.sfc", "---"}, "List of rooms is incorrect.\n", {}},
      {"empty list", {"a.sfc", "a.sfc", ""}, "List of rooms is incorrect.\n", {}},
      {"room 320", {"a.sfc", "a.sfc", "0-320"}, "List of rooms is incorrect.\n", {}},
      {"over 32 bits", {"a.sfc", "a.sfc", "4294967296-1"}, "List of rooms is incorrect.\n", {}},
      {"missing source", {"x.sfc", "a.sfc"}, "Could not open source ROM file x.sfc.\n", {}},
      {"directory as source", {"roms", "a.sfc"}, "Could not open source ROM file roms.\n", {}},
      {"missing destination after a headered source",
       {"h.smc", "x.sfc"},
       "Could not open destination ROM file x.sfc.\n",
       {"_NoHeader_h.smc"}},
      {"output directory missing",
       {"a.sfc", "roms/h.smc", "1-2"},
       "Could not open new ROM file _roms/h.smc",
       {"_NoHeader_roms"}},
      {"copy directory missing",
       {"roms/h.smc"},
       "Could not open temporary ROM file "
       "_NoHeader_roms/h.smc\n",
       {}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.title);
    Workspace workspace;
    workspace.Put("a.sfc", rom);
    workspace.Put("h.smc", headered);
    workspace.Put("roms/h.smc", headered);
    if (c.title == "output directory missing") {
      std::filesystem::create_directory(workspace.Path("_NoHeader_roms"));
    }
    const fixture::RunResult result = workspace.Run(c.arguments);
    EXPECT_EQ(result.output, c.expectedOutput);
    EXPECT_EQ(result.exitStatus, 1);
    std::set<std::string> expected = {"a.sfc", "h.smc", "roms", "roms/h.smc"};
    expected.insert(c.expectedEntries.begin(), c.expectedEntries.end());
    if (c.title == "output directory missing") {
      expected.insert("_NoHeader_roms/h.smc");
    }
    EXPECT_EQ(workspace.Entries(), expected);
    EXPECT_EQ(workspace.Get("a.sfc"), rom);
    EXPECT_EQ(workspace.Get("h.smc"), headered);
  }
}

TEST(RunOutput, OneArgumentRelaysEveryRoomOfTheRomIntoTheExpandedArea) {
  Workspace workspace;
  const ByteList rom = SimpleRom();
  workspace.Put("a.sfc", rom);
  const fixture::RunResult result = workspace.Run({"a.sfc"});
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_NE(result.output.find("WriteRoomHeaders(): uiDataSize = 2800\n"), std::string::npos);
  EXPECT_EQ(workspace.Entries(), (std::set<std::string>{"a.sfc", "_a.sfc"}));
  EXPECT_EQ(workspace.Get("a.sfc"), rom);

  const ByteList out = workspace.Get("_a.sfc");
  ASSERT_EQ(out.size(), OUTPUT_SIZE);
  EXPECT_EQ(std::string(out.begin() + MARKER_OFFSET, out.begin() + MARKER_OFFSET + 40), MARKER);

  // The header block: found through the repointed table, one 32-byte record per room.
  const std::uint8_t bank = fixture::Byte(out, fixture::HEADER_BANK_FIELD);
  const std::uint32_t table = fixture::SnesToPc(fixture::Long(out, fixture::HEADER_TABLE_FIELD));
  EXPECT_EQ(table, fixture::HEADER_TABLE);
  const RoomSet rooms = fixture::SimpleRooms();
  const std::uint32_t first = fixture::SnesToPc((bank << 16) | fixture::Word(out, table));
  EXPECT_GE(first, MARKER_OFFSET + 40 + 16);
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::uint16_t entry = fixture::Word(out, table + 2 * room);
    const std::uint32_t header = fixture::SnesToPc((bank << 16) | entry);
    EXPECT_EQ(header, first + 32 * room) << room;
    const std::string label = "Header Room " + std::to_string(room);
    const ByteList labelField = fixture::Slice(out, header - 16, 16);
    EXPECT_EQ(std::string(labelField.begin(), labelField.begin() + label.size()), label);
    EXPECT_EQ(labelField[label.size()], 0x00);
    const ByteList field = fixture::Slice(out, header, 16);
    EXPECT_TRUE(std::equal(rooms[room].header.begin(), rooms[room].header.end(), field.begin()))
        << room;
    EXPECT_EQ(field[14], 0x00);
    EXPECT_EQ(field[15], 0x00);
  }
}

TEST(RunOutput, HeadersMoveBetweenTwoRomsAsTheRoomListSays) {
  Workspace workspace;
  const RoomSet sourceRooms = fixture::RandomRooms(11);
  const RoomSet destinationRooms = fixture::RandomRooms(12);
  workspace.Put("a.sfc", fixture::BuildRom(sourceRooms));
  workspace.Put("b.smc", fixture::WithCopierHeader(fixture::BuildRom(destinationRooms)));
  const fixture::RunResult result = workspace.Run({"a.sfc", "b.smc", "5-10-6-10-7-300"});
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_TRUE(workspace.Has("_NoHeader_b.smc"));
  const ByteList out = workspace.Get("_b.smc");
  const std::uint8_t bank = fixture::Byte(out, fixture::HEADER_BANK_FIELD);
  auto headerOf = [&](int room) {
    const std::uint16_t entry = fixture::Word(out, fixture::HEADER_TABLE + 2 * room);
    return fixture::Slice(out, fixture::SnesToPc((bank << 16) | entry), ROOM_HEADER_SIZE);
  };
  auto bytesOf = [](const RoomData& room) {
    return ByteList(room.header.begin(), room.header.end());
  };
  EXPECT_EQ(headerOf(10), bytesOf(sourceRooms[6]));
  EXPECT_EQ(headerOf(300), bytesOf(sourceRooms[7]));
  EXPECT_EQ(headerOf(5), bytesOf(destinationRooms[5]));
  EXPECT_EQ(headerOf(11), bytesOf(destinationRooms[11]));
}

TEST(RunOutput, ShortHeaderTableIsReadAndRewrittenWithAllEntries) {
  Workspace workspace;
  RoomSet rooms = fixture::SimpleRooms();
  for (int room = 296; room < ROOM_COUNT; ++room) {
    rooms[room].header = rooms[295].header;
  }
  fixture::RomOptions options;
  options.headerTable296 = true;
  workspace.Put("a.sfc", fixture::BuildRom(rooms, options));
  workspace.Put("b.sfc", SimpleRom());
  ASSERT_EQ(workspace.Run({"a.sfc", "b.sfc"}).exitStatus, 0);
  ASSERT_EQ(workspace.Run({"a.sfc"}).exitStatus, 0);
  for (const char* output : {"_a.sfc", "_b.sfc"}) {
    const ByteList out = workspace.Get(output);
    const std::uint8_t bank = fixture::Byte(out, fixture::HEADER_BANK_FIELD);
    std::set<std::uint16_t> entries;
    for (int room = 0; room < ROOM_COUNT; ++room) {
      const std::uint16_t entry = fixture::Word(out, fixture::HEADER_TABLE + 2 * room);
      entries.insert(entry);
      const ByteList header =
          fixture::Slice(out, fixture::SnesToPc((bank << 16) | entry), ROOM_HEADER_SIZE);
      EXPECT_EQ(header, ByteList(rooms[room].header.begin(), rooms[room].header.end()))
          << output << " room " << room;
    }
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(ROOM_COUNT)) << output;
  }
}

TEST(RunOutput, OutputIsTheHeaderlessDestinationPaddedWithZeros) {
  // The destination's last bytes are not 0x00: nothing of them may show up
  // in the padding, where a copier header was dropped or not.
  ByteList destination = SimpleRom();
  std::fill(destination.end() - 0x400, destination.end(), std::uint8_t{0x5A});
  for (const bool headered : {true, false}) {
    SCOPED_TRACE(headered ? "copier header" : "headerless");
    Workspace workspace;
    workspace.Put("a.sfc", SimpleRom());
    workspace.Put("b.smc", headered ? fixture::WithCopierHeader(destination) : destination);
    ASSERT_EQ(workspace.Run({"a.sfc", "b.smc", "1-1"}).exitStatus, 0);
    if (headered) {
      EXPECT_EQ(workspace.Get("_NoHeader_b.smc"), destination);
    }
    const ByteList out = workspace.Get("_b.smc");
    ASSERT_EQ(out.size(), OUTPUT_SIZE);
    // Below the game's code and tables nothing moved, nor at the end of the
    // destination; the padding is zero up to the marker.
    EXPECT_EQ(fixture::Slice(out, 0, 0x8000), fixture::Slice(destination, 0, 0x8000));
    EXPECT_EQ(fixture::Slice(out, destination.size() - 0x400, 0x400),
              fixture::Slice(destination, destination.size() - 0x400, 0x400));
    const ByteList padding =
        fixture::Slice(out, destination.size(), MARKER_OFFSET - destination.size());
    EXPECT_TRUE(std::all_of(padding.begin(), padding.end(), [](std::uint8_t b) { return b == 0; }));
  }
}

TEST(RunOutput, LongerDestinationIsNotShortened) {
  Workspace workspace;
  fixture::RomOptions options;
  options.size = 0x400000;
  const ByteList destination = SimpleRom(options);
  workspace.Put("b.sfc", destination);
  ASSERT_EQ(workspace.Run({"b.sfc"}).exitStatus, 0);
  const ByteList out = workspace.Get("_b.sfc");
  EXPECT_EQ(out.size(), 0x400000u);
}

TEST(RunFailures, EveryKindOfExceptionEndsAsOneLine) {
  EXPECT_EQ(FailureLine(std::make_exception_ptr(std::runtime_error("b.sfc: bad.\n"))),
            "b.sfc: bad.\n");
  EXPECT_EQ(FailureLine(std::make_exception_ptr(std::bad_alloc())), "Out of memory.\n");
  EXPECT_EQ(FailureLine(std::make_exception_ptr(std::out_of_range("vector::_M_range_check"))),
            "Internal error: vector::_M_range_check.\n");
  EXPECT_EQ(FailureLine(std::make_exception_ptr(42)), "Internal error: unknown exception.\n");
}

}  // namespace

namespace {

TEST(RunOutput, AbsoluteNamesGetThePrefixInFrontOfTheirLastPart) {
  Workspace workspace;
  const ByteList rom = SimpleRom();
  const std::string folder = "r\xC3\xB6ms d\xC3\xADr";  // a space and two letters outside ASCII
  const std::string headered = "b \xE3\x83\xAD.smc";
  workspace.Put(folder + "/a.sfc", rom);
  workspace.Put(folder + "/" + headered, fixture::WithCopierHeader(rom));
  // As the system writes them: '\' between the parts on Windows, from the drive on.
  const std::string source = fixture::Utf8NativeName(workspace.Path(folder + "/a.sfc"));
  const std::string destination = fixture::Utf8NativeName(workspace.Path(folder + "/" + headered));
  const fixture::RunResult result = workspace.Run({source, destination, "1-2"});
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_EQ(workspace.Entries(),
            (std::set<std::string>{folder, folder + "/a.sfc", folder + "/" + headered,
                                   folder + "/_" + headered, folder + "/_NoHeader_" + headered}));
  EXPECT_EQ(workspace.Get(folder + "/_NoHeader_" + headered), rom);
  EXPECT_EQ(workspace.Get(folder + "/_" + headered).size(), OUTPUT_SIZE);

  // One absolute argument, as dropping a ROM on the program gives it.
  ASSERT_EQ(workspace.Run({source}).exitStatus, 0);
  EXPECT_EQ(workspace.Get(folder + "/_a.sfc").size(), OUTPUT_SIZE);
#ifdef _WIN32
  // '/' between the parts is a separator on Windows too.
  const std::string forward = fixture::Utf8Name(workspace.Path(folder + "/a.sfc"));
  ASSERT_NE(forward, source);
  std::filesystem::remove(workspace.Path(folder + "/_a.sfc"));
  ASSERT_EQ(workspace.Run({forward}).exitStatus, 0);
  EXPECT_EQ(workspace.Get(folder + "/_a.sfc").size(), OUTPUT_SIZE);
#else
  // Elsewhere '\' is a character of the file name like any other.
  workspace.Put(folder + "/c\\d.sfc", rom);
  ASSERT_EQ(
      workspace.Run({fixture::Utf8NativeName(workspace.Path(folder + "/c\\d.sfc"))}).exitStatus, 0);
  EXPECT_EQ(workspace.Get(folder + "/_c\\d.sfc").size(), OUTPUT_SIZE);
#endif

  // A relative name keeps the prefix in front of the whole name.
  workspace.Put("roms/a.sfc", rom);
  std::filesystem::create_directory(workspace.Path("_roms"));
  const fixture::RunResult relative = workspace.Run({"roms/a.sfc"});
  ASSERT_EQ(relative.exitStatus, 0) << relative.output;
  EXPECT_EQ(workspace.Get("_roms/a.sfc").size(), OUTPUT_SIZE);
  EXPECT_FALSE(workspace.Has("roms/_a.sfc"));
}

}  // namespace
