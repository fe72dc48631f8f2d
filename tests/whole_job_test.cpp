// The whole job from the input files to the output and back: for many
// generated ROMs the output reads back as the destination rooms after the
// transfer; the tool's own output run again reproduces itself; every kind of
// room data moves with its room; the console lines of a run, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/job/transfer_job.h"
#include "e2e_support.h"
#include "fixture/test_image.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;

constexpr std::size_t TORCH_TABLE_LIMIT_BYTES = 384;
constexpr std::size_t BLOCK_TABLE_LIMIT_BYTES = 512;

// ---------------------------------------------------------------------------
// One generated case: two ROM files, the rooms their readers must find, and a
// room list.

struct JobCase {
  ByteList sourceFile;
  ByteList destinationFile;
  RoomSet sourceRooms;       // as the source ROM holds them
  RoomSet destinationRooms;  // as the destination ROM holds them
  bool oneRom = false;       // the source file is also the destination
  bool sourceHeadered = false;
  bool destinationHeadered = false;
  bool destinationHasDoorTable = true;
  bool destinationWrittenByTool = false;
  RoomList sourceList;
  RoomList destinationList;
  std::string listArgument;  // empty: every room onto the room of its number
  std::string description;
};

struct CaseRandom {
  std::mt19937 engine;
  std::uint32_t Below(std::uint32_t bound) { return engine() % bound; }
  bool Chance(std::uint32_t percent) { return Below(100) < percent; }
};

// Random rooms laid out in one of the ROM forms; `rooms` become what the
// readers find in the image.
ByteList BuildRandomRom(CaseRandom& random, std::uint32_t roomSeed, RoomSet& rooms,
                        bool& hasDoorTable, std::string& description) {
  fixture::RomOptions options;
  options.headerTable296 = random.Chance(50);
  options.spriteLoaderForm = random.Chance(50);
  options.doorTable = random.Chance(70);
  rooms = fixture::RandomRooms(roomSeed);
  if (options.headerTable296) {
    for (int room = 296; room < ROOM_COUNT; ++room) rooms[room].header = rooms[295].header;
  }
  const ByteList image = fixture::BuildRom(rooms, options);
  if (!options.doorTable) {
    for (RoomData& room : rooms.rooms) room.doorOffset.reset();
  }
  hasDoorTable = options.doorTable;
  description += std::string(options.headerTable296 ? " 296-entry" : " 320-entry") +
                 (options.spriteLoaderForm ? " loader-form" : " game-form") +
                 (options.doorTable ? " doors" : " no-doors");
  return image;
}

ByteList RunJobInProcess(const ByteList& sourceFile, const ByteList* destinationFile,
                         const RoomList& sourceList, const RoomList& destinationList,
                         std::FILE* console, std::optional<RoomSet>* destinationSet = nullptr) {
  InputRom source = PrepareInputRom("a.sfc", sourceFile);
  std::optional<InputRom> destination;
  if (destinationFile != nullptr) {
    destination = PrepareInputRom("b.sfc", *destinationFile);
  }
  RomImage& destinationImage = destination ? destination->image : source.image;
  TransferResult result = RunTransferJob(source.image, destinationImage, sourceList,
                                         destinationList, "_b.sfc", OutputLayout{}, console);
  if (destinationSet != nullptr) *destinationSet = result.destinationSet;
  return result.out.bytes;
}

RoomList EveryRoom() {
  RoomList rooms;
  for (int room = 0; room < ROOM_COUNT; ++room) rooms.push_back(room);
  return rooms;
}

void ChooseRoomList(CaseRandom& random, JobCase& job) {
  if (random.Chance(20)) {
    job.sourceList = EveryRoom();
    job.destinationList = EveryRoom();
    job.description += " every-room";
    return;
  }
  // Sources with torches (or pushable blocks) sent onto many rooms overflow that table.
  const bool blocks = random.Chance(50);
  std::vector<std::int32_t> crowded;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const RoomData& data = job.sourceRooms[room];
    if (!(blocks ? data.pushableBlocks : data.torches).empty()) crowded.push_back(room);
  }
  const bool crowd = random.Chance(40) && !crowded.empty();
  const std::uint32_t pairs = 1 + random.Below(crowd ? 60 : 30);
  std::ostringstream argument;
  for (std::uint32_t i = 0; i < pairs; ++i) {
    auto pick = [&](const RoomList& earlier) {
      if (!earlier.empty() && random.Chance(15)) return earlier[random.Below(earlier.size())];
      return static_cast<std::int32_t>(random.Below(ROOM_COUNT));
    };
    std::int32_t source = pick(job.sourceList);
    if (crowd && random.Chance(70)) source = crowded[random.Below(crowded.size())];
    const std::int32_t destination = pick(job.destinationList);
    job.sourceList.push_back(source);
    job.destinationList.push_back(destination);
    argument << (i == 0 ? "" : "-") << source << "-" << destination;
  }
  job.listArgument = argument.str();
  job.description += " list " + job.listArgument;
}

JobCase MakeCase(std::uint32_t seed) {
  CaseRandom random{std::mt19937(seed)};
  JobCase job;
  job.description = "seed " + std::to_string(seed) + ": source";
  bool sourceDoors = true;
  const ByteList sourceImage =
      BuildRandomRom(random, 1000 + 3 * seed, job.sourceRooms, sourceDoors, job.description);
  job.oneRom = random.Chance(20);
  ByteList destinationImage;
  if (job.oneRom) {
    job.description += "; one ROM";
    destinationImage = sourceImage;
    job.destinationRooms = job.sourceRooms;
    job.destinationHasDoorTable = sourceDoors;
  } else {
    job.description += "; destination";
    destinationImage = BuildRandomRom(random, 1001 + 3 * seed, job.destinationRooms,
                                      job.destinationHasDoorTable, job.description);
    if (random.Chance(25)) {
      // A destination the tool wrote earlier: stale blocks lie in the expanded area.
      job.destinationWrittenByTool = true;
      job.description += " written-by-tool";
      destinationImage =
          RunJobInProcess(destinationImage, nullptr, EveryRoom(), EveryRoom(), nullptr);
    }
  }
  job.sourceHeadered = random.Chance(30);
  job.destinationHeadered = !job.oneRom && random.Chance(30);
  job.sourceFile = job.sourceHeadered ? fixture::WithCopierHeader(sourceImage) : sourceImage;
  job.destinationFile =
      job.destinationHeadered ? fixture::WithCopierHeader(destinationImage) : destinationImage;
  job.description += job.sourceHeadered ? "; headered source" : "";
  job.description += job.destinationHeadered ? "; headered destination" : "";
  ChooseRoomList(random, job);
  return job;
}

RoomSet AfterTransfer(const JobCase& job) {
  RoomSet rooms = job.destinationRooms;
  for (std::size_t pair = 0; pair < job.sourceList.size(); ++pair) {
    rooms[job.destinationList[pair]] = job.sourceRooms[job.sourceList[pair]];
  }
  return rooms;
}

// ---------------------------------------------------------------------------
// What the output must read back as.

// Rooms whose torches (or pushable blocks) the table cannot take: rooms in
// ascending order fill it (a torch entry is its words plus a room and an end
// word, a block entry 4 bytes per block); a room that would overflow it is
// left out whole and later rooms are still tried.
std::vector<int> RoomsOverLimit(const RoomSet& rooms, bool torches) {
  std::vector<int> reported;
  std::size_t used = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const std::size_t words =
        torches ? rooms[room].torches.size() : rooms[room].pushableBlocks.size();
    if (words == 0) continue;
    const std::size_t size = torches ? 2 * words + 4 : 4 * words;
    if (used + size > (torches ? TORCH_TABLE_LIMIT_BYTES : BLOCK_TABLE_LIMIT_BYTES)) {
      reported.push_back(room);
    } else {
      used += size;
    }
  }
  return reported;
}

std::vector<int> ReportedRooms(const std::string& console, const std::string& prefix) {
  std::vector<int> rooms;
  std::istringstream lines(console);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(prefix, 0) == 0) rooms.push_back(std::stoi(line.substr(prefix.size())));
  }
  return rooms;
}

const std::string TORCH_REPORT = "Not enough memory for torches for room ";
const std::string BLOCK_REPORT = "Not enough memory for pushable blocks for room ";

struct Allowances {
  std::vector<int> torchesLeftOut;
  std::vector<int> blocksLeftOut;
  bool destinationHasDoorTable = true;
};

bool Contains(const std::vector<int>& rooms, int room) {
  return std::find(rooms.begin(), rooms.end(), room) != rooms.end();
}

// The written layer data gained the optional trailing 0xFF on re-reading: the
// output holds 0xFF right behind them (a stale byte the game never reads).
bool GainedTrailingFF(const ByteList& out, int room, const ByteList& written,
                      const ByteList& read) {
  ByteList gained = written;
  gained.push_back(0xFF);
  if (read != gained) return false;
  const std::uint32_t data =
      fixture::SnesToPc(fixture::Long(out, fixture::LAYER_TABLE + 3 * static_cast<unsigned>(room)));
  return fixture::Byte(out, data + written.size()) == 0xFF;
}

// Empty when every room of `read` is the room of `written`, but for the
// accepted differences; otherwise the first few rooms that differ.
std::string Differences(const RoomSet& written, const RoomSet& read, const ByteList& out,
                        const Allowances& allow) {
  std::ostringstream text;
  int shown = 0;
  for (int room = 0; room < ROOM_COUNT && shown < 5; ++room) {
    const RoomData& w = written[room];
    const RoomData& r = read[room];
    std::string fields;
    if (r.header != w.header) fields += " header";
    if (r.layerData != w.layerData && !GainedTrailingFF(out, room, w.layerData, r.layerData)) {
      fields += " layerData";
    }
    if (r.spriteData != w.spriteData) fields += " spriteData";
    if (r.itemData != w.itemData) fields += " itemData";
    const bool blocksOut = Contains(allow.blocksLeftOut, room);
    if (r.pushableBlocks != (blocksOut ? WordList{} : w.pushableBlocks)) {
      fields += " pushableBlocks";
    }
    const bool torchesOut = Contains(allow.torchesLeftOut, room);
    if (r.torches != (torchesOut ? WordList{} : w.torches)) fields += " torches";
    if (r.chests != w.chests) fields += " chests";
    if (r.hasPit != w.hasPit) fields += " hasPit";
    if (r.message != w.message) fields += " message";
    if (!allow.destinationHasDoorTable) {
      if (r.doorOffset) fields += " doorOffset (no door table)";
    } else if (w.doorOffset && r.doorOffset != w.doorOffset) {
      fields += " doorOffset";
    }
    if (!fields.empty()) {
      text << "room " << room << ":" << fields << "\n";
      ++shown;
    }
  }
  return text.str();
}

// Checks the output of `job` against the rooms after the transfer, with the
// rooms the run reported in `console`.
void ExpectOutputReadsBack(const JobCase& job, const ByteList& out, const std::string& console) {
  const RoomSet written = AfterTransfer(job);
  Allowances allow;
  allow.torchesLeftOut = RoomsOverLimit(written, true);
  allow.blocksLeftOut = RoomsOverLimit(written, false);
  allow.destinationHasDoorTable = job.destinationHasDoorTable;
  EXPECT_EQ(ReportedRooms(console, TORCH_REPORT), allow.torchesLeftOut);
  EXPECT_EQ(ReportedRooms(console, BLOCK_REPORT), allow.blocksLeftOut);
  EXPECT_EQ(Differences(written, e2e::ReadRooms(out), out, allow), "");
}

// ---------------------------------------------------------------------------
// Round trip over generated ROMs.

TEST(WholeJobRoundTrip, OutputReadsBackAsTheTransferredRoomsInProcess) {
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    const JobCase job = MakeCase(seed);
    SCOPED_TRACE(job.description);
    fixture::ConsoleCapture console;
    std::optional<RoomSet> destinationSet;
    const ByteList out =
        RunJobInProcess(job.sourceFile, job.oneRom ? nullptr : &job.destinationFile, job.sourceList,
                        job.destinationList, console.file, &destinationSet);
    ASSERT_EQ(out.size(), 0x300000u);
    ExpectOutputReadsBack(job, out, console.Text());
    // The run itself read both inputs as the fixture laid them out.
    EXPECT_TRUE(destinationSet && *destinationSet == AfterTransfer(job));

    if (seed % 3 == 0 && !job.destinationWrittenByTool) {
      // Relaying the output's rooms onto themselves changes no byte.
      EXPECT_EQ(RunJobInProcess(out, nullptr, EveryRoom(), EveryRoom(), nullptr), out);
    }
  }
}

std::vector<std::string> Arguments(const JobCase& job, std::string& outputName) {
  const std::string source = job.sourceHeadered ? "a.smc" : "a.sfc";
  const std::string destination = job.destinationHeadered ? "b.smc" : "b.sfc";
  if (job.oneRom) {
    outputName = "_" + source;
    if (job.listArgument.empty()) return {source};
    return {source, source, job.listArgument};
  }
  outputName = "_" + destination;
  if (job.listArgument.empty()) return {source, destination};
  return {source, destination, job.listArgument};
}

TEST(WholeJobRoundTrip, OutputOfTheToolReadsBackAndReproducesItself) {
  for (std::uint32_t seed = 101; seed <= 108; ++seed) {
    const JobCase job = MakeCase(seed);
    SCOPED_TRACE(job.description);
    Workspace workspace;
    std::string outputName;
    const std::vector<std::string> arguments = Arguments(job, outputName);
    workspace.Put(arguments[0], job.sourceFile);
    if (!job.oneRom) workspace.Put(arguments[1], job.destinationFile);

    const fixture::RunResult run = workspace.Run(arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(workspace.Get(arguments[0]), job.sourceFile);
    if (!job.oneRom) {
      EXPECT_EQ(workspace.Get(arguments[1]), job.destinationFile);
    }
    const ByteList out = workspace.Get(outputName);
    ExpectOutputReadsBack(job, out, run.output);

    if (job.destinationWrittenByTool) continue;
    workspace.Put("c.sfc", out);
    const fixture::RunResult again = workspace.Run({"c.sfc"});
    ASSERT_EQ(again.exitStatus, 0) << again.output;
    EXPECT_EQ(workspace.Get("_c.sfc"), out);
  }
}

// ---------------------------------------------------------------------------
// Console lines.

const std::string LOADER_LINE =
    "uiJumpTarget: 3FAAF0, uiBank: 3F, uiBank<<16: 3F0000, uiPointerTablePointer: 3F8050\n";

// SimpleRooms: sprite and item lists of 5 bytes, blocks in every 8th room,
// two torches in every 16th, a chest in every 5th, a pit in every 7th.
const std::string SIMPLE_ROOMS_LINES =
    "WriteRoomSprites(): uiDataSize = 2B10\n"
    "WriteRoomHeaders(): uiDataSize = 2800\n"
    "WriteRoomItems(): uiDataSize = 2800\n"
    "WriteRoomPushableBlocks(): uiDataSize = A0\n"
    "WriteRoomTorches(): uiDataSize = A0\n"
    "WriteRoomChests(): uiDataSize = C0\n"
    "WriteRoomPits(): uiDataSize = 5C\n"
    "WriteRoomMessages(): uiDataSize = 20\n";

TEST(WholeJobConsole, RunPrintsTheWritersLinesInOrderAndTheLoaderLineOncePerRead) {
  Workspace workspace;
  const ByteList rom = fixture::BuildRom(fixture::SimpleRooms());
  workspace.Put("a.sfc", rom);
  const fixture::RunResult first = workspace.Run({"a.sfc"});
  EXPECT_EQ(first.exitStatus, 0);
  EXPECT_EQ(first.output, SIMPLE_ROOMS_LINES);

  // The tool's own output: read twice with one argument, once as source only.
  const ByteList out = workspace.Get("_a.sfc");
  workspace.Put("c.sfc", out);
  const fixture::RunResult again = workspace.Run({"c.sfc"});
  EXPECT_EQ(again.exitStatus, 0);
  EXPECT_EQ(again.output, LOADER_LINE + LOADER_LINE + SIMPLE_ROOMS_LINES);
  EXPECT_EQ(workspace.Get("_c.sfc"), out);

  const fixture::RunResult asSource = workspace.Run({"c.sfc", "a.sfc"});
  EXPECT_EQ(asSource.exitStatus, 0);
  EXPECT_EQ(asSource.output, LOADER_LINE + SIMPLE_ROOMS_LINES);
  EXPECT_EQ(workspace.Get("_a.sfc"), out);
}

// ---------------------------------------------------------------------------
// Rooms moving between and within ROMs.

TEST(WholeJobTransfer, SwappingTwoRoomsOfOneFileSwapsEveryKindOfData) {
  RoomSet rooms = fixture::SimpleRooms();
  rooms[3].torches = {0x0301, 0x0302, 0x0303};
  rooms[8].torches = {0x0801};
  rooms[3].chests = {0x80, 0x33};
  rooms[8].chests = {0x00, 0x88, 0x80, 0x89};
  rooms[3].pushableBlocks = {0x0333, 0x0334};
  rooms[3].itemData = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0xFF, 0xFF};
  rooms[8].spriteData = {0x80, 0x81, 0xFF};
  const RoomData& three = rooms[3];
  const RoomData& eight = rooms[8];
  // Every field differs, so every field must be seen to move.
  ASSERT_NE(three.header, eight.header);
  ASSERT_NE(three.layerData, eight.layerData);
  ASSERT_NE(three.spriteData, eight.spriteData);
  ASSERT_NE(three.itemData, eight.itemData);
  ASSERT_NE(three.pushableBlocks, eight.pushableBlocks);
  ASSERT_NE(three.torches, eight.torches);
  ASSERT_NE(three.chests, eight.chests);
  ASSERT_NE(three.hasPit, eight.hasPit);
  ASSERT_NE(three.message, eight.message);
  ASSERT_NE(three.doorOffset, eight.doorOffset);

  Workspace workspace;
  const ByteList rom = fixture::BuildRom(rooms);
  workspace.Put("a.sfc", rom);
  const fixture::RunResult run = workspace.Run({"a.sfc", "a.sfc", "3-8-8-3"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(workspace.Get("a.sfc"), rom);

  RoomSet swapped = rooms;
  std::swap(swapped[3], swapped[8]);
  const ByteList out = workspace.Get("_a.sfc");
  const RoomSet read = e2e::ReadRooms(out);
  EXPECT_EQ(Differences(swapped, read, out, Allowances{}), "");
  EXPECT_EQ(read[3], rooms[8]);
  EXPECT_FALSE(read[8].doorOffset);  // room 3 had no door list
}

ByteList ListAt(const ByteList& rom, std::uint32_t offset, std::uint8_t end, std::size_t ends) {
  ByteList list;
  std::size_t found = 0;
  while (found < ends) {
    list.push_back(fixture::Byte(rom, offset + list.size()));
    found = list.back() == end ? found + 1 : 0;
  }
  return list;
}

TEST(WholeJobTransfer, SharedListsOfTheSourceArriveAsSeparateCopiesWithTheirRooms) {
  RoomSet source = fixture::RandomRooms(31);
  source[11].spriteData = source[10].spriteData;
  source[11].layerData = source[10].layerData;
  source[11].doorOffset = source[10].doorOffset;
  source[11].itemData = source[10].itemData;
  const RoomSet destination = fixture::RandomRooms(32);
  const ByteList sourceRom = fixture::BuildRom(source);
  // Rooms 10 and 11 share one pointer in each of the three tables.
  ASSERT_EQ(fixture::Word(sourceRom, fixture::SPRITE_TABLE + 20),
            fixture::Word(sourceRom, fixture::SPRITE_TABLE + 22));
  ASSERT_EQ(fixture::Long(sourceRom, fixture::LAYER_TABLE + 30),
            fixture::Long(sourceRom, fixture::LAYER_TABLE + 33));
  ASSERT_EQ(fixture::Word(sourceRom, fixture::ITEM_TABLE + 20),
            fixture::Word(sourceRom, fixture::ITEM_TABLE + 22));

  Workspace workspace;
  workspace.Put("a.sfc", sourceRom);
  workspace.Put("b.sfc", fixture::BuildRom(destination));
  const fixture::RunResult run = workspace.Run({"a.sfc", "b.sfc", "10-20-11-21-10-22"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ByteList out = workspace.Get("_b.sfc");

  // Sprite lists through the loader the output calls.
  ASSERT_EQ(fixture::Byte(out, fixture::SPRITE_CODE), 0x22);
  const std::uint32_t loader = fixture::SnesToPc(fixture::Long(out, fixture::SPRITE_CODE + 1));
  const std::uint32_t spriteBank = fixture::Byte(out, loader + 3);
  const std::uint32_t spriteTable =
      fixture::SnesToPc((spriteBank << 16) | fixture::Word(out, loader + 14));
  const std::uint32_t itemBank = fixture::Byte(out, fixture::ITEM_BANK_FIELD);
  auto spriteAt = [&](int room) {
    return fixture::SnesToPc((spriteBank << 16) | fixture::Word(out, spriteTable + 2 * room));
  };
  auto layerAt = [&](int room) {
    return fixture::SnesToPc(fixture::Long(out, fixture::LAYER_TABLE + 3 * room));
  };
  auto itemAt = [&](int room) {
    return fixture::SnesToPc((itemBank << 16) | fixture::Word(out, fixture::ITEM_TABLE + 2 * room));
  };
  const struct {
    int destinationRoom;
    int sourceRoom;
  } moved[] = {{20, 10}, {21, 11}, {22, 10}};
  std::set<std::uint32_t> sprites, layers, items;
  for (const auto& m : moved) {
    SCOPED_TRACE(m.destinationRoom);
    const RoomData& from = source[m.sourceRoom];
    sprites.insert(spriteAt(m.destinationRoom));
    layers.insert(layerAt(m.destinationRoom));
    items.insert(itemAt(m.destinationRoom));
    EXPECT_EQ(fixture::Slice(out, spriteAt(m.destinationRoom), from.spriteData.size()),
              from.spriteData);
    EXPECT_EQ(fixture::Slice(out, layerAt(m.destinationRoom), from.layerData.size()),
              from.layerData);
    EXPECT_EQ(ListAt(out, itemAt(m.destinationRoom), 0xFF, 2), from.itemData);
    if (from.doorOffset) {
      EXPECT_EQ(fixture::SnesToPc(fixture::Long(out, fixture::DOOR_TABLE + 3 * m.destinationRoom)),
                layerAt(m.destinationRoom) + *from.doorOffset);
    }
  }
  EXPECT_EQ(sprites.size(), 3u);
  EXPECT_EQ(layers.size(), 3u);
  EXPECT_EQ(items.size(), 3u);
  // Rooms outside the list keep the destination's lists.
  EXPECT_EQ(fixture::Slice(out, spriteAt(23), destination[23].spriteData.size()),
            destination[23].spriteData);
  EXPECT_EQ(fixture::Slice(out, layerAt(10), destination[10].layerData.size()),
            destination[10].layerData);
  EXPECT_EQ(ListAt(out, itemAt(11), 0xFF, 2), destination[11].itemData);
}

// ---------------------------------------------------------------------------
// The game-wide tables, end to end, with the figures of their limits.

WordList Words(std::uint16_t first, std::size_t count) {
  WordList words;
  for (std::size_t i = 0; i < count; ++i) words.push_back(static_cast<std::uint16_t>(first + i));
  return words;
}

ByteList WordBytes(const WordList& words) {
  ByteList bytes;
  for (const std::uint16_t word : words) {
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  return bytes;
}

RoomSet RoomsWithoutTableData() {
  RoomSet rooms = fixture::SimpleRooms();
  for (RoomData& room : rooms.rooms) {
    room.pushableBlocks.clear();
    room.torches.clear();
    room.chests.clear();
    room.hasPit = 0;
  }
  return rooms;
}

ByteList TextBytes(const std::string& text, std::size_t size) {
  ByteList bytes(text.begin(), text.end());
  bytes.resize(size, 0x00);
  return bytes;
}

constexpr std::uint32_t MOVED_MESSAGE_TABLE = 0x3A000;  // SNES 0x07A000

TEST(WholeJobTables, LimitsReportsAndTableBytesOfOneRun) {
  RoomSet destination = RoomsWithoutTableData();
  destination[5].pushableBlocks = Words(0x5000, 100);
  destination[7].pushableBlocks = Words(0x7000, 20);
  destination[2].torches = {0x0202};
  destination[9].torches = {0x0909};
  destination[300].chests = {0x80, 0x05};  // room word 0x812C
  for (const int room : {7, 20, 300}) destination[room].hasPit = 1;
  ByteList destinationRom = fixture::BuildRom(destination);
  // The destination keeps its message table elsewhere in bank 0x07.
  fixture::PutBytes(destinationRom, MOVED_MESSAGE_TABLE,
                    fixture::Slice(destinationRom, fixture::MESSAGE_TABLE, 640));
  fixture::PutWord(destinationRom, fixture::MESSAGE_TABLE_FIELD, 0xA000);
  ASSERT_EQ(fixture::Slice(destinationRom, fixture::CHEST_TABLE, 3), (ByteList{0x2C, 0x81, 0x05}));

  RoomSet source = RoomsWithoutTableData();
  source[1].pushableBlocks = Words(0x1100, 40);
  source[4].torches = Words(0x4000, 190);
  const ByteList sourceRom = fixture::BuildRom(source);

  Workspace workspace;
  workspace.Put("a.sfc", sourceRom);
  workspace.Put("b.sfc", destinationRom);
  const fixture::RunResult run = workspace.Run({"a.sfc", "b.sfc", "1-6-4-8"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.output,
            "WriteRoomSprites(): uiDataSize = 2B10\n"
            "WriteRoomHeaders(): uiDataSize = 2800\n"
            "WriteRoomItems(): uiDataSize = 2800\n"
            "Not enough memory for pushable blocks for room 6\n"
            "WriteRoomPushableBlocks(): uiDataSize = 1E0\n"
            "Not enough memory for torches for room 8\n"
            "WriteRoomTorches(): uiDataSize = C\n"
            "WriteRoomChests(): uiDataSize = 3\n"
            "WriteRoomPits(): uiDataSize = 6\n"
            "WriteRoomMessages(): uiDataSize = 20\n");
  const ByteList out = workspace.Get("_b.sfc");

  // Pushable blocks: rooms 5 and 7; room 6's 40 blocks left out.
  EXPECT_EQ(fixture::Word(out, 0x8896), 0x1E0);
  const std::uint32_t blocks = fixture::SnesToPc(fixture::Long(out, 0x15AFA));
  ByteList blockTable;
  for (const auto& [room, first, count] :
       {std::tuple<int, int, int>{5, 0x5000, 100}, std::tuple<int, int, int>{7, 0x7000, 20}}) {
    for (int i = 0; i < count; ++i) {
      const ByteList entry =
          WordBytes({static_cast<std::uint16_t>(room), static_cast<std::uint16_t>(first + i)});
      blockTable.insert(blockTable.end(), entry.begin(), entry.end());
    }
  }
  EXPECT_EQ(fixture::Slice(out, blocks, 0x1E0), blockTable);
  EXPECT_EQ(fixture::Slice(out, blocks - 16, 16), TextBytes("Pushable Blocks", 16));

  // Torches: room 8's 190 do not fit behind room 2's entry; room 9's single torch does.
  EXPECT_EQ(fixture::Word(out, 0x88C1), 0xC);
  const std::uint32_t torches = fixture::SnesToPc(fixture::Long(out, 0x15B16));
  EXPECT_EQ(fixture::Slice(out, torches, 12),
            (ByteList{0x02, 0x00, 0x02, 0x02, 0xFF, 0xFF, 0x09, 0x00, 0x09, 0x09, 0xFF, 0xFF}));

  // Chests: the flag returns to bit 15 of room 300's word.
  EXPECT_EQ(fixture::Word(out, 0xEBF6), 3);
  const std::uint32_t chests = fixture::SnesToPc(fixture::Long(out, 0xEBFB));
  EXPECT_EQ(fixture::Slice(out, chests, 3), (ByteList{0x2C, 0x81, 0x05}));
  EXPECT_EQ(fixture::Long(out, 0xEC10), fixture::Long(out, 0xEBFB));
  EXPECT_EQ(fixture::Long(out, 0xEC0A), fixture::Long(out, 0xEBFB) + 2);

  // Pits: last index and the sorted list.
  EXPECT_EQ(fixture::Word(out, 0x394A6), 0x0004);
  const std::uint32_t pits = fixture::SnesToPc(fixture::Long(out, 0x394AB));
  EXPECT_EQ(fixture::Slice(out, pits, 6), (ByteList{0x07, 0x00, 0x14, 0x00, 0x2C, 0x01}));

  // Messages: rewritten where the destination keeps its table; the note says where.
  EXPECT_EQ(fixture::Word(out, fixture::MESSAGE_TABLE_FIELD), 0xA000);
  WordList messages;
  for (int room = 0; room < ROOM_COUNT; ++room) messages.push_back(destination[room].message);
  messages[6] = source[1].message;
  messages[8] = source[4].message;
  EXPECT_EQ(fixture::Slice(out, MOVED_MESSAGE_TABLE, 640), WordBytes(messages));
  EXPECT_EQ(fixture::Slice(out, fixture::MESSAGE_TABLE, 640),
            fixture::Slice(destinationRom, fixture::MESSAGE_TABLE, 640));
  const std::uint32_t note = (pits + 6 + 15) / 16 * 16;
  ByteList noteBlock = TextBytes("Messages", 16);
  const ByteList look = TextBytes("->Look at 3A000", 16);
  noteBlock.insert(noteBlock.end(), look.begin(), look.end());
  EXPECT_EQ(fixture::Slice(out, note, 32), noteBlock);
}

TEST(WholeJobTables, OneRoomWith190TorchesFillsTheTableAndReadsBack) {
  RoomSet rooms = RoomsWithoutTableData();
  rooms[4].torches = Words(0x4000, 190);
  Workspace workspace;
  workspace.Put("a.sfc", fixture::BuildRom(rooms));
  const fixture::RunResult run = workspace.Run({"a.sfc"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.output.find("WriteRoomTorches(): uiDataSize = 180\n"), std::string::npos);
  EXPECT_EQ(run.output.find("Not enough memory"), std::string::npos);
  const ByteList out = workspace.Get("_a.sfc");
  WordList table = {4};
  const WordList torches = Words(0x4000, 190);
  table.insert(table.end(), torches.begin(), torches.end());
  table.push_back(0xFFFF);
  const std::uint32_t start = fixture::SnesToPc(fixture::Long(out, 0x15B16));
  EXPECT_EQ(fixture::Slice(out, start, 384), WordBytes(table));
  EXPECT_EQ(e2e::ReadRooms(out)[4].torches, torches);
}

}  // namespace
