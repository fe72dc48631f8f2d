// Room packs: a transfer from a pack writes what the transfer from the ROM it
// was exported from writes and prints the same lines (but the source ROM's own
// loader line, and the line of --verify's game check, which a pack's rooms
// skip); a pack reads back to the same file; an edited line moves only its
// bytes; every refusal gives its one line.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/job/transfer_job.h"
#include "app/map.h"
#include "app/verify.h"
#include "e2e_support.h"
#include "fixture/test_image.h"
#include "fixture/text_lines.h"
#include "packs/pack_lines.h"
#include "packs/pack_reader.h"
#include "packs/pack_writer.h"
#include "rom/checksum.h"
#include "rom/format.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

// ---------------------------------------------------------------------------
// In memory: the export as the tool makes it, through the pack's text.

std::string PackText(const ByteList& rom, const std::string& name) {
  InputRom input = PrepareInputRom(name, rom);
  RoomPack pack;
  RoomPointerTables tables;
  ReadAllRooms(input.image, pack.rooms, tables);
  pack.held.fill(true);
  return FormatRoomPack(pack);
}

RoomPack ReadText(const std::string& text, const std::string& name = "p.pack") {
  return ReadRoomPack(fixture::TextBytes(text), name);
}

// The text without what the writer puts behind "#".
std::string WithoutComments(const std::string& text) {
  std::string plain;
  for (const std::string& line : fixture::Lines(text)) {
    plain += line.substr(0, line.find("  # ")) + "\n";
  }
  return plain;
}

struct JobOutput {
  fixture::Outcome outcome;
  ByteList bytes;
};

// The finishing touches of the run on the finished image, as the options ask.
struct Finish {
  bool fixChecksum = false;
  bool map = false;
  bool verify = false;
};

void FinishJob(const Finish& finish, TransferResult& result, std::FILE* console) {
  if (finish.fixChecksum) {
    FixChecksum(result.out);
  }
  if (finish.map) {
    std::fputs(FormatMap(result.out, result.layout).c_str(), console);
  }
  if (finish.verify) {
    std::fputs(VerifyOutput(result).text.c_str(), console);
  }
}

// `result` keeps its storage from one job to the next, as in the fuzz harnesses.
template <typename Job>
JobOutput RunJob(const Finish& finish, TransferResult& result, Job job) {
  JobOutput output;
  output.outcome = fixture::CaptureRun([&](std::FILE* console) {
    job(result, console);
    FinishJob(finish, result, console);
  });
  output.bytes = result.out.bytes;
  return output;
}

// The console of a ROM-to-ROM run without the source's own loader line,
// which a tool-written source prints first.
std::string WithoutSourceLoaderLine(const std::string& printed, bool sourceHasLoader) {
  if (!sourceHasLoader || printed.rfind("uiJumpTarget: ", 0) != 0) {
    return printed;
  }
  return printed.substr(printed.find('\n') + 1);
}

// The console of a --verify run without the game check's line, which names
// the source and so differs between a pack and its ROM by design.
std::string WithoutGameCheckLine(const std::string& printed) {
  const std::size_t at = printed.find("Game check not made: ");
  if (at == std::string::npos) {
    return printed;
  }
  return printed.substr(0, at) + printed.substr(printed.find('\n', at) + 1);
}

ByteList ToolWritten(const ByteList& source, const ByteList& destination) {
  RomImage from = fixture::TestImage(source, "s.sfc");
  RomImage onto = fixture::TestImage(destination, "d.sfc");
  RoomList all;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    all.push_back(room);
  }
  return RunTransferJob(from, onto, all, all, "_d.sfc").out.bytes;
}

struct Rom {
  ByteList bytes;
  bool hasLoader = false;
};

enum class Role { Source, Destination };

// Five ROMs in the forms the readers know: 296-entry header tables, no door
// table, the sprite loader's form, a ROM this tool wrote; for the editable
// layout as dungeon editors leave them, its sources with short lists that fit
// the destinations' list regions.
std::vector<Rom> RomPool(std::uint32_t seed, bool editable, Role role) {
  fixture::RandomOptions rooms;
  rooms.torchSpace = editable ? fixture::GAME_TORCH_SPACE : fixture::TORCH_TABLE_SIZE;
  if (editable && role == Role::Source) {
    rooms.maxSpriteBytes = 4;
    rooms.maxItemBytes = 4;
  }
  std::vector<Rom> pool;
  for (std::uint32_t form = 0; form < 5; ++form) {
    const RoomSet set = fixture::RandomRooms(seed + form, rooms);
    fixture::RomOptions options;
    options.headerTable296 = form == 1;
    options.doorTable = form != 2;
    options.spriteLoaderForm = !editable && form == 3;
    options.editorLayout = editable;
    if (editable && form < 3) {
      pool.push_back({fixture::BuildEditorRom(set), false});
    } else if (form == 4 && (!editable || role == Role::Source)) {
      pool.push_back({ToolWritten(fixture::BuildRom(set, options), fixture::BuildRom(set)), true});
    } else {
      pool.push_back({fixture::BuildRom(set, options), options.spriteLoaderForm});
    }
  }
  return pool;
}

// Per pair of 5 sources and 5 destinations: the same bytes and the same
// lines (or the same failure) from the source's pack as from the source ROM,
// with random lists and options.
void CheckPairs(bool editable) {
  std::mt19937 random(editable ? 27 : 26);
  const auto chance = [&](unsigned percent) { return random() % 100 < percent; };
  const std::vector<Rom> sources = RomPool(editable ? 300 : 100, editable, Role::Source);
  const std::vector<Rom> destinations = RomPool(editable ? 400 : 200, editable, Role::Destination);
  TransferResult romResult;
  TransferResult packResult;
  for (std::size_t from = 0; from < sources.size(); ++from) {
    const RoomPack pack = ReadText(PackText(sources[from].bytes, "s.sfc"));
    for (std::size_t onto = 0; onto < destinations.size(); ++onto) {
      SCOPED_TRACE(testing::Message()
                   << (editable ? "editable " : "classic ") << from << " onto " << onto);
      OutputLayout layout;
      layout.kind = editable ? LayoutKind::Editable : LayoutKind::Classic;
      layout.base =
          editable ? (chance(30) ? 0x208000 : 0x200000) : (chance(30) ? 0x1F0000 : 0x1F8000);
      const Finish finish{chance(30), chance(10), chance(20)};
      RoomList sourceRooms;
      RoomList destinationRooms;
      const unsigned pairs = chance(10) ? ROOM_COUNT : 1 + random() % (editable ? 6 : 40);
      for (unsigned i = 0; i < pairs; ++i) {
        sourceRooms.push_back(
            static_cast<std::int32_t>(pairs == ROOM_COUNT ? i : random() % ROOM_COUNT));
        destinationRooms.push_back(
            static_cast<std::int32_t>(pairs == ROOM_COUNT ? i : random() % ROOM_COUNT));
      }
      const auto destinationImage = [&] {
        return fixture::TestImage(destinations[onto].bytes, "d.sfc");
      };
      const JobOutput fromRom =
          RunJob(finish, romResult, [&](TransferResult& result, std::FILE* out) {
            RomImage source = fixture::TestImage(sources[from].bytes, "s.sfc");
            RomImage destination = destinationImage();
            RunTransferJob(source, destination, sourceRooms, destinationRooms, "_d.sfc", result,
                           layout, out);
          });
      const JobOutput fromPack =
          RunJob(finish, packResult, [&](TransferResult& result, std::FILE* out) {
            RomImage destination = destinationImage();
            RunTransferJob(pack.rooms, destination, sourceRooms, destinationRooms, "_d.sfc", result,
                           layout, out);
          });
      EXPECT_EQ(fromPack.outcome.failure, fromRom.outcome.failure);
      EXPECT_EQ(fromPack.outcome.printed,
                WithoutSourceLoaderLine(fromRom.outcome.printed, sources[from].hasLoader));
      EXPECT_TRUE(fromPack.bytes == fromRom.bytes);
    }
  }
}

TEST(RoomPackExactness, PackSourceWritesAndPrintsWhatItsRomWritesClassic) { CheckPairs(false); }

TEST(RoomPackExactness, PackSourceWritesAndPrintsWhatItsRomWritesEditable) { CheckPairs(true); }

// ---------------------------------------------------------------------------
// End to end, on the files.

ByteList SampleSource() { return fixture::BuildRom(fixture::RandomRooms(1)); }
ByteList SampleDestination() {
  return fixture::WithCopierHeader(fixture::BuildRom(fixture::RandomRooms(2)));
}

// The sample ROMs and a ROM as dungeon editors leave it, classic and
// editable: the pack's run and the ROM's run write the same file and print the
// same lines; the pack of a pack is the same file; all 320 rooms applied to
// their own ROM are its one-ROM re-lay.
TEST(RoomPackFiles, ExportThenApplyIsTheRomToRomRun) {
  struct Case {
    std::string name;
    ByteList source;
    ByteList destination;
    std::vector<std::string> options;
    std::string list;
  };
  fixture::RandomOptions editorRooms;
  editorRooms.torchSpace = fixture::GAME_TORCH_SPACE;
  const ByteList editor = fixture::BuildEditorRom(fixture::RandomRooms(5, editorRooms));
  const std::vector<Case> cases = {
      {"samples", SampleSource(), SampleDestination(), {"--verify"}, "1-40-2-41-3-300"},
      {"samples, every room", SampleSource(), SampleDestination(), {"--map"}, ""},
      {"loader source",
       ToolWritten(SampleSource(), fixture::BuildRom(fixture::RandomRooms(3))),
       SampleDestination(),
       {"--fix-checksum"},
       "7-7-300-12"},
      {"editable, every room", editor, editor, {"--editable", "--verify"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workspace w;
    w.Put("a.sfc", c.source);
    w.Put("b.smc", c.destination);
    ASSERT_EQ(w.Run({"--export", "a.pack", "a.sfc"}).exitStatus, 0);
    ASSERT_EQ(w.Run({"--export", "again.pack", "a.pack"}).output,
              "Wrote 320 rooms into again.pack.\n");
    EXPECT_TRUE(w.Get("again.pack") == w.Get("a.pack"));
    // A pack as the writer wrote it before its lines had comments.
    const ByteList exported = w.Get("a.pack");
    w.Put("old.pack",
          fixture::TextBytes(WithoutComments(std::string(exported.begin(), exported.end()))));

    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"a.pack", "b.smc"});
    if (!c.list.empty()) {
      arguments.push_back(c.list);
    }
    const fixture::RunResult fromPack = w.Run(arguments);
    ASSERT_EQ(fromPack.exitStatus, 0) << fromPack.output;
    const ByteList packOutput = w.Get("_b.smc");
    arguments.at(c.options.size()) = "old.pack";
    EXPECT_EQ(WithoutGameCheckLine(w.Run(arguments).output), WithoutGameCheckLine(fromPack.output));
    EXPECT_TRUE(w.Get("_b.smc") == packOutput);
    arguments.at(c.options.size()) = "a.sfc";
    const fixture::RunResult fromRom = w.Run(arguments);
    EXPECT_EQ(
        WithoutGameCheckLine(fromPack.output),
        WithoutGameCheckLine(WithoutSourceLoaderLine(fromRom.output, c.name == "loader source")));
    const bool verified =
        std::find(c.options.begin(), c.options.end(), "--verify") != c.options.end();
    EXPECT_EQ(
        fromPack.output.find("Game check not made: a.pack is a room pack") != std::string::npos,
        verified);
    EXPECT_TRUE(packOutput == w.Get("_b.smc"));

    // The pack onto the ROM it came from is that ROM's one-ROM re-lay.
    std::vector<std::string> relay = c.options;
    relay.push_back("a.sfc");
    ASSERT_EQ(w.Run(relay).exitStatus, 0);
    const ByteList relaid = w.Get("_a.sfc");
    relay.insert(relay.end() - 1, "a.pack");
    EXPECT_EQ(w.Run(relay).exitStatus, 0);
    EXPECT_TRUE(w.Get("_a.sfc") == relaid);
  }
}

// One sprite changed in the pack, same length: one line of the pack differs,
// and the two outputs differ in that sprite's bytes only.
TEST(RoomPackFiles, AnEditedSpriteLineChangesOnlyThatSprite) {
  Workspace w;
  w.Put("a.sfc", SampleSource());
  w.Put("b.smc", SampleDestination());
  ASSERT_EQ(w.Run({"--export", "a.pack", "a.sfc", "17-17"}).exitStatus, 0);
  const ByteList file = w.Get("a.pack");
  const std::string original(file.begin(), file.end());
  const std::string spriteLine = fixture::LineStartingWith(original, "sprite ");
  const std::string sprite = spriteLine.substr(0, spriteLine.find("  # "));
  const std::string changed = "sprite 01 02 03";
  ASSERT_FALSE(sprite.empty());
  ASSERT_NE(sprite, changed);
  std::string edited = original;
  edited.replace(edited.find(spriteLine), sprite.size(), changed);  // its comment stays, stale
  w.Put("edited.pack", fixture::TextBytes(edited));

  const std::vector<std::string> before = fixture::Lines(original);
  const std::vector<std::string> after = fixture::Lines(edited);
  ASSERT_EQ(before.size(), after.size());
  int changedLines = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    changedLines += before[i] != after[i] ? 1 : 0;
  }
  EXPECT_EQ(changedLines, 1);

  ASSERT_EQ(w.Run({"a.pack", "b.smc"}).exitStatus, 0);
  const ByteList plain = w.Get("_b.smc");
  ASSERT_EQ(w.Run({"edited.pack", "b.smc"}).exitStatus, 0);
  const ByteList moved = w.Get("_b.smc");
  ASSERT_EQ(plain.size(), moved.size());
  std::vector<std::size_t> differences;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] != moved[i]) {
      differences.push_back(i);
    }
  }
  // Some place p holds the old sprite in one output and the new in the
  // other, and every difference lies inside it.
  ASSERT_FALSE(differences.empty());
  const auto bytesAt = [](const ByteList& bytes, std::size_t at) {
    return "sprite " + HexBytes(ByteList(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                         bytes.begin() + static_cast<std::ptrdiff_t>(at) + 3));
  };
  bool found = false;
  for (std::size_t p = differences.front() - 2; p <= differences.front(); ++p) {
    found = found || (bytesAt(plain, p) == sprite && bytesAt(moved, p) == changed &&
                      differences.back() < p + 3);
  }
  EXPECT_TRUE(found);
}

// The export's lists: pairs put a source room under another number, a lone
// room or range in --rooms names itself, a later pair onto one number wins;
// a pack as source takes its rooms by their numbers.
TEST(RoomPackFiles, ExportListsAndPackNumbers) {
  Workspace w;
  const RoomSet rooms = fixture::RandomRooms(1);
  w.Put("a.sfc", SampleSource());
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::pair<int, int>> held;  // pack room, source room
  };
  const std::vector<Case> cases = {
      {{"--export", "p.pack", "a.sfc", "18-64"}, {{64, 18}}},
      {{"--export", "p.pack", "a.sfc", "--rooms", "0x12,0x40..0x42"},
       {{0x12, 0x12}, {0x40, 0x40}, {0x41, 0x41}, {0x42, 0x42}}},
      {{"--export", "p.pack", "a.sfc", "--rooms", "5:9,6:9,7"}, {{7, 7}, {9, 6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const fixture::RunResult result = w.Run(c.arguments);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    const ByteList file = w.Get("p.pack");
    const RoomPack pack = ReadRoomPack(file, "p.pack");
    ASSERT_EQ(HeldRooms(pack).size(), c.held.size());
    for (const auto& [number, from] : c.held) {
      EXPECT_TRUE(pack.held.at(static_cast<std::size_t>(number)));
      RoomData expected = rooms[static_cast<std::size_t>(from)];
      EXPECT_TRUE(pack.rooms[static_cast<std::size_t>(number)] == expected) << number;
    }
  }
  // Pack room 9 (source room 6) by its number, onto 9 and, listed, onto 100.
  w.Put("b.sfc", fixture::BuildRom(fixture::RandomRooms(2)));
  ASSERT_EQ(w.Run({"p.pack", "b.sfc"}).exitStatus, 0);
  EXPECT_TRUE(e2e::ReadRooms(w.Get("_b.sfc"))[9] == rooms[6]);
  ASSERT_EQ(w.Run({"p.pack", "b.sfc", "--rooms", "9:100"}).exitStatus, 0);
  EXPECT_TRUE(e2e::ReadRooms(w.Get("_b.sfc"))[100] == rooms[6]);
}

// What --inspect shows of a pack: each room held, with its sizes.
TEST(RoomPackFiles, InspectShowsThePacksRooms) {
  Workspace w;
  w.Put("a.sfc", SampleSource());
  ASSERT_EQ(w.Run({"--export", "p.pack", "a.sfc", "3-3-200-200"}).exitStatus, 0);
  const RoomSet rooms = fixture::RandomRooms(1);
  const fixture::RunResult result = w.Run({"--inspect", "p.pack"});
  EXPECT_EQ(result.exitStatus, 0);
  const std::vector<std::string> lines = fixture::Lines(result.output);
  ASSERT_EQ(lines.size(), 4u) << result.output;
  EXPECT_EQ(lines[0], "Room        Layer  Sprite   Items  Chests Blocks Torches  Pit  Message");
  const RoomData& room = rooms[200];
  EXPECT_EQ(lines[2], Format("0x0C8 200  %6zu  %6zu  %6zu  %6zu %6zu %7zu  %-3s  %04X",
                             room.layerData.size(), room.spriteData.size(), room.itemData.size(),
                             room.chests.size() / 2, room.pushableBlocks.size(),
                             room.torches.size(), room.hasPit != 0 ? "yes" : "no", room.message));
  EXPECT_EQ(lines[3], "2 rooms in the pack");
  EXPECT_EQ(fixture::Lines(w.Run({"--inspect", "p.pack", "--rooms", "3:3"}).output).size(), 3u);
}

// ---------------------------------------------------------------------------
// Reading: what the reader takes besides the writer's own text, and what it refuses.

const char* const SMALL_PACK =
    "roomxfer room pack 1\n"
    "note rooms for the test\n"
    "\n"
    "room 5\n"
    "note a room\n"
    "header 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D\n"
    "layers\n"
    "floor 21 0C\n"
    "object 01 02 03\n"
    "end\n"
    "end\n"
    "doors\n"
    "door-list\n"
    "door 10 00\n"
    "end\n"
    "raw FF\n"
    "sprites\n"
    "sort 00\n"
    "sprite 05 0A 1F\n"
    "end\n"
    "items\n"
    "item 10 20 30\n"
    "end\n"
    "chests\n"
    "chest 80 12\n"
    "blocks\n"
    "block 34 12\n"
    "torches\n"
    "torch 78 56\n"
    "pit 01\n"
    "message 34 12\n";

// `line` (1-based) of `base` replaced by `text`; an empty `text` removes it.
std::string WithLineOf(const std::string& base, int line, const std::string& text) {
  std::vector<std::string> lines = fixture::Lines(base);
  if (text.empty()) {
    lines.erase(lines.begin() + (line - 1));
  } else {
    lines.at(static_cast<std::size_t>(line - 1)) = text;
  }
  std::string joined;
  for (const std::string& each : lines) {
    joined += each + "\n";
  }
  return joined;
}

std::string WithLine(int line, const std::string& text) {
  return WithLineOf(SMALL_PACK, line, text);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

std::string RefusalOf(const std::string& text) {
  return fixture::CaptureRun([&](std::FILE*) { ReadText(text); }).failure;
}

TEST(RoomPackReader, ReadsTheWritersTextAndItsLooserForms) {
  const RoomPack pack = ReadText(SMALL_PACK);
  const RoomData& room = pack.rooms[5];
  EXPECT_TRUE(room.layerData == (ByteList{0x21, 0x0C, 1, 2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF,
                                          0x10, 0x00, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(room.doorOffset, 11u);
  EXPECT_TRUE(room.spriteData == (ByteList{0x00, 0x05, 0x0A, 0x1F, 0xFF}));
  EXPECT_TRUE(room.itemData == (ByteList{0x10, 0x20, 0x30, 0xFF, 0xFF}));
  EXPECT_TRUE(room.chests == (ByteList{0x80, 0x12}));
  EXPECT_EQ(room.pushableBlocks, std::vector<std::uint16_t>{0x1234});
  EXPECT_EQ(room.torches, std::vector<std::uint16_t>{0x5678});
  EXPECT_EQ(room.hasPit, 1);
  EXPECT_EQ(room.message, 0x1234);
  EXPECT_EQ(pack.note, "rooms for the test\n");
  EXPECT_EQ(pack.roomNotes[5], "a room\n");

  // CRLF line ends, lower-case hex, comments and blank lines anywhere; a
  // byte-order mark, blank and comment lines before the format line and a
  // comment at the end of every line; the room number in hex.
  std::string loose;
  std::string commented = "\xEF\xBB\xBF\n# written by hand\n\t\n";
  for (const std::string& line : fixture::Lines(SMALL_PACK)) {
    std::string lower = line;
    if (line.rfind("note", 0) != 0) {
      for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
    }
    loose += lower + "\r\n# a comment\r\n\r\n";
    commented += (line == "room 5" ? "room $5" : line) + " \t# r\xC3\xA9sum\xC3\xA9 #2\n";
  }
  const std::string written = FormatRoomPack(pack);
  EXPECT_EQ(FormatRoomPack(ReadText(loose)), written);
  EXPECT_EQ(FormatRoomPack(ReadText(commented)), written);
  EXPECT_EQ(FormatRoomPack(ReadText(WithLine(4, "room 0x05"))), written);
  EXPECT_TRUE(IsRoomPack(fixture::TextBytes(commented)));

  // Notes in any UTF-8; the writer's comments are information only.
  const std::string utf8 = WithLine(5, "note caf\xC3\xA9 \xE2\x9C\x93, \xF0\x9F\x8F\xB0");
  EXPECT_EQ(ReadText(utf8).roomNotes[5], "caf\xC3\xA9 \xE2\x9C\x93, \xF0\x9F\x8F\xB0\n");
  EXPECT_EQ(WithoutComments(FormatRoomPack(ReadText(utf8))), utf8);
  EXPECT_EQ(WithoutComments(written), SMALL_PACK);
}

// The comments the writer puts behind entries, against the bits the game's
// code takes them from.
TEST(RoomPackWriter, CommentsDecodeEachEntryAsTheGameReadsIt) {
  std::string text = WithLine(6, "header 21 02 05 0E 01 02 03 E4 03 18 20 21 22 23");
  text = WithLineOf(text, 9, "object 2C 1E 21\nobject FD 4A 85\nobject 0B 07 FA");
  text = Replaced(text, "door 10 00\n", "door 61 30\n");
  text = Replaced(text, "sprite 05 0A 1F\n",
                  "sprite 0A 08 41\nsprite 95 E3 0A\nsprite FE 00 E4\nsprite 65 A3 12\n");
  text = Replaced(text, "item 10 20 30\n", "item 60 26 0B\nitem CC 13 08\n");
  text = Replaced(text, "chest 80 12\n", "chest 80 12\nchest 00 05\n");
  text = Replaced(text, "torch 78 56\n", "torch 78 A6\n");
  const std::string written = FormatRoomPack(ReadText(text));
  const char* const lines[] = {
      "room 5  # $05",
      "header 21 02 05 0E 01 02 03 E4 03 18 20 21 22 23  # bg2 1, collision 0, dark 1, palette "
      "$02, blockset $05, spriteset $0E, effect $01, tags $02 $03, warp $18 (plane 0), stairs $20 "
      "$21 $22 $23 (planes 1 2 3 3)",
      "floor 21 0C  # lower floor $2, upper floor $1, layout $03, quadrant bits 0",
      "object 2C 1E 21  # subtype 1 object $21 at (88, 56), size 2",
      "object FD 4A 85  # subtype 2 object $05 at (160, 336)",
      "object 0B 07 FA  # subtype 3 object $2F at (16, 8)",
      "end  # end of layer 2 (lower layer)",
      "doors  # the door list of layer 3",
      "door 61 30  # south door at position 6, type $30",
      "raw FF  # the 0xFF read behind layer 3",
      "sort 00  # the sprites share their OAM slots",
      "sprite 0A 08 41  # sprite $41 at (128, 160), upper layer, aux 0",
      "sprite 95 E3 0A  # overlord $0A at (48, 336), lower layer",
      "sprite FE 00 E4  # small key for the sprite before",
      "sprite 65 A3 12  # sprite $12 at (48, 80), upper layer, aux 29",
      "item 60 26 0B  # item $0B at (384, 96), lower layer",
      "item CC 13 08  # item $08 (key) at (304, 312), upper layer",
      "chest 80 12  # big chest, item $12",
      "chest 00 05  # chest, item $05",
      "block 34 12  # block at (208, 288), upper layer",
      "torch 78 A6  # torch at (480, 96), lower layer, lit",
      "pit 01  # its pits do damage",
      "message 34 12  # message $1234",
  };
  for (const char* line : lines) {
    EXPECT_TRUE(fixture::HasLine(written, line)) << line << "\n" << written;
  }
}

// A pack of all 320 rooms of a ROM in the game's layout reads like a listing:
// every line of the rooms' data has its comment.
TEST(RoomPackWriter, EveryEntryOfAWholeRomHasItsComment) {
  const std::string text = PackText(SampleSource(), "s.sfc");
  int entries = 0;
  for (const std::string& line : fixture::Lines(text)) {
    const std::string keyword = line.substr(0, line.find(' '));
    const bool bare = line.empty() || line.rfind("roomxfer room pack", 0) == 0 ||
                      keyword == "note" || ListNamed(keyword).has_value();
    if (!bare) {
      ++entries;
      const std::size_t comment = line.find("  # ");
      EXPECT_TRUE(comment != std::string::npos && comment + 4 < line.size()) << line;
    }
  }
  EXPECT_GT(entries, 320 * 8);
}

TEST(RoomPackReader, RefusesAnythingElseWithTheFileLineAndReason) {
  struct Case {
    std::string text;
    std::string line;
  };
  const std::vector<Case> cases = {
      {WithLine(1, "roomxfer room pack 2"),
       "line 1: version 2 of the room pack format is not known here; this roomxfer reads "
       "version 1."},
      {WithLine(1, "roomxfer room pack"), "line 1: the first line reads \"roomxfer room pack 1\"."},
      {WithLine(9, "object 01 0G 03"), "line 9: 0G is not a byte in hex (two hex digits)."},
      {WithLine(9, "object 01 02 3 "), "line 9: 3 is not a byte in hex (two hex digits)."},
      {WithLine(9, "object 01 023\t03"), "line 9: 023 is not a byte in hex (two hex digits)."},
      {WithLine(9, "object 01 02"), "line 9: object lines hold 3 bytes; this one holds 2."},
      {WithLine(6, "header 00 01"), "line 6: header lines hold 14 bytes; this one holds 2."},
      {WithLine(4, "room 320"), "line 4: a room line gives one room number from 0 to 319."},
      {std::string(SMALL_PACK) + "room 5\n", "line 32: room 5 is given twice (first at line 4)."},
      {WithLine(31, ""), "line 4: room 5 has no message line."},
      {std::string(SMALL_PACK) + "pit 00\n",
       "line 32: room 5 has a second pit line (the first at line 30)."},
      {WithLine(9, "thing 01 02 03"), "line 9: unknown keyword thing."},
      {WithLine(9, "sprite 01 02 03"), "line 9: sprite lines do not belong in the layers list."},
      {WithLine(30, "pit 02"), "line 30: the pit flag is 00 or 01."},
      {WithLine(25, "chest 40 12"), "line 25: a chest's flag byte is 00 or 80."},
      {WithLine(29, "torch FF FF"), "line 29: FF FF ends the torch table; it is no torch word."},
      {WithLine(9, "object 01 FF FF"),
       "line 9: the game's format splits the layers list otherwise: here it reads "
       "\"raw 01\"."},
      {WithLine(18, "raw 00"),
       "line 18: the game's format splits the sprites list otherwise: here it reads "
       "\"sort 00\"."},
      {WithLine(7, ""), "line 7: floor lines stand only inside their list."},
      {WithLine(21, ""), "line 21: item lines do not belong in the sprites list."},
      {WithLine(8, "object 21 0C 01"),
       "line 8: the game's format splits the layers list otherwise: here it reads "
       "\"floor 21 0C\"."},
      {WithLine(5, "note \xC3"), "line 5: the byte 0xC3 is not UTF-8 text."},
      {WithLine(5, "note \xED\xA0\x80"), "line 5: the byte 0xED is not UTF-8 text."},
      {WithLine(5, "note a\x01"), "line 5: the byte 0x01 is a control character."},
      {WithLine(5, "note a longer note\x7F"), "line 5: the byte 0x7F is a control character."},
      {WithLine(5, "note a longer note, then\x1B"),
       "line 5: the byte 0x1B is a control character."},
      {WithLine(5, "note \xC2\x85"), "line 5: the character U+0085 is a control character."},
      {WithLine(20, ""), "line 17: the sprite list of room 5 has no end line."},
      {WithLine(15, ""), "line 7: the layer data of room 5 has no end line for layer 3."},
      {WithLine(23, ""), "line 21: the item list of room 5 has no end line."},
      {WithLine(20, "end\nsprite 01 02 03"),
       "line 21: the sprite list of room 5 has ended before this line."},
      {WithLine(16, "raw FF\nraw FF"),
       "line 17: the layer data of room 5 has ended before this line."},
      {Replaced(SMALL_PACK, "door-list\ndoor 10 00\nend\nraw FF\n",
                "door 10 00\nend\nraw FF\ndoor-list\n"),
       "line 16: door-list stands after the last byte of the layer data of room 5, where no door "
       "list can start."},
      {WithLine(4, "room $140"), "line 4: a room line gives one room number from 0 to 319."},
      {WithLine(7, "layers 00"),
       "line 7: layers stands alone on its line; its entries follow on lines of their own."},
      {WithLine(10, "end FF FF"), "line 10: end lines hold no bytes."},
      {WithLine(16, "raw"), "line 16: raw lines hold 1 to 16 bytes."},
      {WithLine(8, "note late"),
       "line 8: a note stands right after the format line or right after a room line."},
      {WithLine(4, "header 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D"),
       "line 4: header stands before the first room line."},
      {"roomxfer room pack 1\n# nothing\n", "line 2: the pack holds no room."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(RefusalOf(c.text), "p.pack: " + c.line + "\n");
  }
}

// A pack edited by hand: its notes survive an export onto it and --inspect
// shows them; saved with a byte-order mark and a comment in front, it is
// still a pack and leaves nothing but the output.
TEST(RoomPackFiles, AnEditedPackKeepsItsNotesAndItsEditorsMarks) {
  Workspace w;
  w.Put("a.sfc", SampleSource());
  ASSERT_EQ(w.Run({"--export", "p.pack", "a.sfc", "3-3-200-200"}).exitStatus, 0);
  const ByteList exported = w.Get("p.pack");
  std::string text(exported.begin(), exported.end());
  text = Replaced(text, "roomxfer room pack 1\n", "roomxfer room pack 1\nnote the pack's own\n");
  text = Replaced(text, "room 3  # $03\n", "room 3  # $03\nnote room three\nnote\n");
  w.Put("p.pack", fixture::TextBytes(text));
  ASSERT_EQ(w.Run({"--export", "p.pack", "a.sfc", "3-3-7-7"}).output,
            "Wrote 2 rooms into p.pack.\n");
  const RoomPack pack = ReadRoomPack(w.Get("p.pack"), "p.pack");
  EXPECT_EQ(pack.note, "the pack's own\n");
  EXPECT_EQ(pack.roomNotes[3], "room three\n\n");
  EXPECT_EQ(HeldRooms(pack), (std::vector<int>{3, 7}));
  const std::vector<std::string> shown = fixture::Lines(w.Run({"--inspect", "p.pack"}).output);
  ASSERT_EQ(shown.size(), 7u);
  EXPECT_EQ(shown[0], "note: the pack's own");
  EXPECT_EQ(shown[3], "           note: room three");
  EXPECT_EQ(shown[4], "           note: ");
  EXPECT_EQ(shown[5].substr(0, 9), "0x007   7");

  w.Put("bom.pack", fixture::TextBytes("\xEF\xBB\xBF# saved by an editor\n\n" + text));
  w.Put("c.sfc", fixture::BuildRom(fixture::RandomRooms(2)));
  std::set<std::string> expected = w.Entries();
  expected.insert("_c.sfc");
  EXPECT_EQ(w.Run({"bom.pack", "c.sfc", "3-3"}).exitStatus, 0);
  EXPECT_EQ(w.Entries(), expected);
}

// The command line's refusals of a pack, each one line: nothing is written.
TEST(RoomPackFiles, RefusalsOfTheCommandLine) {
  Workspace w;
  w.Put("a.sfc", SampleSource());
  w.Put("b.smc", SampleDestination());
  w.Put("p.pack", fixture::TextBytes(SMALL_PACK));
  w.Put("bad.pack", fixture::TextBytes(WithLine(9, "object 01 02")));
  w.Put("noend.pack", fixture::TextBytes(WithLine(20, "")));
  w.Put("notes.txt", fixture::TextBytes("my notes\n"));
  struct Case {
    std::vector<std::string> arguments;
    int exitStatus;
    std::string output;
  };
  const std::vector<Case> cases = {
      {{"p.pack", "b.smc", "6-6"}, 1, "p.pack: the room pack holds no room 6.\n"},
      {{"noend.pack", "b.smc"},
       1,
       "noend.pack: line 17: the sprite list of room 5 has no end line.\n"},
      {{"--inspect", "p.pack", "--rooms", "5:6"}, 1, "p.pack: the room pack holds no room 6.\n"},
      {{"--export", "b.smc", "a.sfc", "18-18"},
       1,
       "Refusing to write b.smc (the room pack): the file exists and is not a room pack.\n"},
      {{"--export", "notes.txt", "p.pack"},
       1,
       "Refusing to write notes.txt (the room pack): the file exists and is not a room pack.\n"},
      {{"--export", "bad.pack", "a.sfc", "1-1"},
       1,
       "bad.pack: line 9: object lines hold 3 bytes; this one holds 2.\n"},
      {{"a.sfc", "p.pack"}, 1, "p.pack is a room pack: it can be a source, not a destination.\n"},
      {{"p.pack"}, 1, "p.pack is a room pack: name the destination ROM to apply it to.\n"},
      {{"bad.pack", "b.smc"},
       1,
       "bad.pack: line 9: object lines hold 3 bytes; this one holds 2.\n"},
      {{"--inspect", "bad.pack"},
       1,
       "bad.pack: line 9: object lines hold 3 bytes; this one holds 2.\n"},
      {{"--export", "x.pack", "p.pack", "6-6"}, 1, "p.pack: the room pack holds no room 6.\n"},
      {{"--export", "a.sfc", "a.sfc"},
       1,
       "Refusing to write a.sfc (the room pack): it is the same file as the source ROM "
       "a.sfc.\n"},
      {{"--export", "p.pack", "p.pack"},
       1,
       "Refusing to write p.pack (the room pack): it is the same file as the source pack "
       "p.pack.\n"},
      {{"p.pack", "_b.smc", "--rooms", "5:5"}, 1, "Could not open destination ROM file _b.smc.\n"},
      {{"--export", "x.pack", "missing.sfc"}, 1, "Could not open source ROM file missing.sfc.\n"},
      {{"--export", "x.pack", "a.sfc", "1-"}, 1, "List of rooms is incorrect.\n"},
      {{"--export", "x.pack", "a.sfc", "--rooms", "5:320"}, 1, "List of rooms is incorrect.\n"},
      {{"--export", "x.pack"},
       2,
       "--export PACK takes the ROM to take the rooms from and an optional ROOMS: --export PACK "
       "ROM [ROOMS].\n"},
      {{"--export", "x.pack", "a.sfc", "b.smc", "1-2"},
       2,
       "--export PACK takes the ROM to take the rooms from and an optional ROOMS: --export PACK "
       "ROM [ROOMS].\n"},
      {{"--export", "x.pack", "a.sfc", "--map"},
       2,
       "Options --export and --map cannot be used together.\n"},
      {{"--export", "x.pack", "--inspect", "a.sfc"},
       2,
       "Options --export and --inspect cannot be used together.\n"},
      {{"--export", "x.pack", "a.sfc", "--base", "0x1F8000"},
       2,
       "Options --export and --base cannot be used together.\n"},
      {{"--export", "x.pack", "a.sfc", "1-1", "--rooms", "1:1"},
       2,
       "Give the room list either as ROOMS or with --rooms, not both.\n"},
      {{"--export"}, 2, "Option --export needs a value: --export PACK.\n"},
  };
  const std::set<std::string> before = w.Entries();
  const auto contents = [&] {
    std::vector<ByteList> all;
    for (const std::string& name : before) {
      all.push_back(w.Get(name));
    }
    return all;
  };
  const std::vector<ByteList> contentsBefore = contents();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
    const fixture::RunResult result = w.Run(c.arguments);
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(w.Entries(), before);
    EXPECT_TRUE(contents() == contentsBefore);
  }
}

}  // namespace
