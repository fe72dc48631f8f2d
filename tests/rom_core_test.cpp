// Addressing, block placement, labels, room lists and the transfer: the rules
// every writer and the run rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "app/room_lists.h"
#include "rom/block_output.h"
#include "rom/rom_image.h"
#include "rom/snes_address.h"
#include "rooms/transfer.h"

namespace {

TEST(SnesAddress, ConvertsBothWaysAtBankEdges) {
  const struct {
    std::uint32_t snes;
    std::uint32_t pc;
  } pairs[] = {{0x008000, 0},        {0x00FFFF, 0x7FFF},   {0x018000, 0x8000},
               {0x3F8000, 0x1F8000}, {0x3FFFFF, 0x1FFFFF}, {0x408000, 0x200000},
               {0x5FFFFF, 0x2FFFFF}};
  for (const auto& pair : pairs) {
    EXPECT_EQ(SnesToPc(pair.snes), pair.pc) << std::hex << pair.snes;
    EXPECT_EQ(PcToSnes(pair.pc), pair.snes) << std::hex << pair.pc;
  }
}

TEST(SnesAddress, HighBanksAreNotMirroredAndLowHalvesWrap) {
  EXPECT_EQ(SnesToPc(0x808000), 0x400000u);
  EXPECT_EQ(SnesToPc(0x7FFFFF), 0x3FFFFFu);
  EXPECT_EQ(SnesToPc(0x090000), 0x38000u);
  EXPECT_GT(SnesToPc(0x000000), 0x7FFFFFFFu);  // wraps below zero: unreachable
  for (std::uint32_t offset = 0; offset < 0x300000; offset += 0x1234) {
    EXPECT_EQ(SnesToPc(PcToSnes(offset)), offset);
  }
}

RomImage ImageAt(std::int64_t position) {
  RomImage image;
  image.name = "test.sfc";
  image.position = position;
  return image;
}

TEST(BlockOutput, AlignMovesUpToSixteenWithoutWriting) {
  RomImage image = ImageAt(0x1F8028);
  AlignTo16(image);
  EXPECT_EQ(Tell(image), 0x1F8030);
  AlignTo16(image);
  EXPECT_EQ(Tell(image), 0x1F8030);
  EXPECT_TRUE(image.bytes.empty());
}

TEST(BlockOutput, BankCheckMovesOnlyBlocksThatWouldCross) {
  const struct {
    std::int64_t start;
    std::uint32_t size;
    std::int64_t expected;
  } cases[] = {{0x1FFFF0, 16, 0x1FFFF0},
               {0x1FFFF0, 17, 0x200000},
               {0x200000, 0x8000, 0x200000},
               {0x200010, 0x8000, 0x208000}};
  for (const auto& c : cases) {
    RomImage image = ImageAt(c.start);
    EnsureNoBankBreach(image, c.size);
    EXPECT_EQ(Tell(image), c.expected) << std::hex << c.start << " size " << c.size;
  }
}

TEST(BlockOutput, BankCheckStopsBlocksLargerThanABank) {
  RomImage image = ImageAt(0x200000);
  try {
    EnsureNoBankBreach(image, 0x8001);
    FAIL() << "a block of 0x8001 bytes was accepted";
  } catch (const std::runtime_error& failure) {
    EXPECT_STREQ(failure.what(),
                 "The data to be written would cause a bank breach, cannot proceed.\n");
  }
}

TEST(BlockOutput, LabelsArePaddedToSixteenAndCutToSixteenCharacters) {
  ByteList list;
  AppendLabel(list, "");
  EXPECT_TRUE(list.empty());
  AppendLabel(list, "Pits");
  EXPECT_EQ(list, (ByteList{0x50, 0x69, 0x74, 0x73}));
  PadTo16(list);
  EXPECT_EQ(list.size(), 16u);
  ByteList seventeen(17, 0xAA);
  PadTo16(seventeen);
  EXPECT_EQ(seventeen.size(), 32u);
  EXPECT_EQ(seventeen[31], 0x00);
  ByteList thirtyTwo(32, 0xAA);
  PadTo16(thirtyTwo);
  EXPECT_EQ(thirtyTwo.size(), 32u);

  EXPECT_EQ(FormatLabel("Sprites Room %d", 319), "Sprites Room 319");
  EXPECT_EQ(FormatLabel("Sprites Room %d", 1000), "Sprites Room 100");
  EXPECT_EQ(LabelBlock("Sprites Room 319").size(), 16u);
  EXPECT_EQ(LabelBlock("Pushable Blocks").back(), 0x00);
}

TEST(RoomImage, ReadsOutsideTheImageStopTheRunNamingWhatWasRead) {
  RomImage image;
  image.name = "short.sfc";
  image.bytes = {1, 2, 3};
  SetReading(image, "pit room list");
  Seek(image, 2);
  EXPECT_EQ(ReadByte(image), 3);
  try {
    ReadWord(image);
    FAIL() << "read past the end";
  } catch (const std::runtime_error& failure) {
    EXPECT_STREQ(failure.what(),
                 "short.sfc: cannot read the pit room list at offset 0x3: it lies outside the "
                 "file (0x3 bytes).\n");
  }
  Seek(image, -1);
  EXPECT_THROW(ReadByte(image), std::runtime_error);
}

TEST(RoomImage, WritesPastTheEndFillTheGapWithZeros) {
  RomImage image;
  image.bytes = {9};
  Seek(image, 4);
  WriteWord(image, 0x1234);
  EXPECT_EQ(image.bytes, (ByteList{9, 0, 0, 0, 0x34, 0x12}));
  Seek(image, 1);
  WriteLong(image, 0x3FAAF0);
  EXPECT_EQ(image.bytes, (ByteList{9, 0xF0, 0xAA, 0x3F, 0x34, 0x12}));
}

TEST(RoomImage, FreshZerosStayKnownOnlyWhereNoWriteReached) {
  RomImage image;
  image.bytes = {1, 2, 3};
  ResetToZeros(image, 3 * ZERO_BLOCK_SIZE + 5);
  ASSERT_EQ(ImageSize(image), 3 * ZERO_BLOCK_SIZE + 5);
  EXPECT_TRUE(IsKnownZero(image, 0, ImageSize(image)));
  EXPECT_EQ(image.bytes[0], 0x00);  // the old bytes are gone, not kept in the storage

  Seek(image, 2 * ZERO_BLOCK_SIZE - 2);
  WriteWord(image, 0xABCD);  // the last two bytes of block 1
  EXPECT_TRUE(IsKnownZero(image, 0, ZERO_BLOCK_SIZE));
  EXPECT_FALSE(IsKnownZero(image, ZERO_BLOCK_SIZE, ZERO_BLOCK_SIZE + 1));
  EXPECT_TRUE(IsKnownZero(image, 2 * ZERO_BLOCK_SIZE, ImageSize(image)));
  EXPECT_FALSE(IsKnownZero(image, 0, ImageSize(image)));

  Seek(image, ImageSize(image) + 3);
  WriteByte(image, 7);  // past the end: the gap is filled, nothing there is known
  EXPECT_FALSE(IsKnownZero(image, 2 * ZERO_BLOCK_SIZE, ImageSize(image)));
  EXPECT_TRUE(IsKnownZero(image, 2 * ZERO_BLOCK_SIZE, 3 * ZERO_BLOCK_SIZE));
  EXPECT_FALSE(IsKnownZero(image, -1, 1));

  ResetToZeros(image, 2 * ZERO_BLOCK_SIZE);  // within the storage written above
  EXPECT_EQ(std::count(image.bytes.begin(), image.bytes.end(), 0x00), 2 * ZERO_BLOCK_SIZE);
  EXPECT_TRUE(IsKnownZero(image, 0, ImageSize(image)));
}

struct ParsedLists {
  RoomList source;
  RoomList destination;
  bool accepted;
};

ParsedLists Parse(const std::string& argument) {
  ParsedLists lists;
  ParseRoomList(argument, lists.source, lists.destination);
  lists.accepted = CheckRoomLists(lists.source, lists.destination);
  return lists;
}

TEST(RoomLists, SplitLikeStrtokAndConvertLikeAtoi) {
  EXPECT_EQ(Parse("10-20-11-21").source, (RoomList{10, 11}));
  EXPECT_EQ(Parse("10-20-11-21").destination, (RoomList{20, 21}));
  EXPECT_EQ(Parse("--3--8-").source, (RoomList{3}));
  EXPECT_EQ(Parse("--3--8-").destination, (RoomList{8}));
  EXPECT_EQ(Parse("x-5").source, (RoomList{0}));
  EXPECT_EQ(Parse(" +7z-9").source, (RoomList{7}));
  EXPECT_EQ(Parse("0000000000000000000012-5").source, (RoomList{12}));
}

TEST(RoomLists, AcceptOnlyCompletePairsOfRoomsZeroTo319) {
  const struct {
    const char* list;
    bool accepted;
  } cases[] = {
      {"0-319", true},         {"5-10-5-11", true},     {"x-5", true},          {"", false},
      {"---", false},          {"1-2-3", false},        {"0-320", false},       {"320-0", false},
      {"4294967296-1", false}, {"4294967295-1", false}, {"2147483648-1", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(Parse(c.list).accepted, c.accepted) << c.list;
  }
}

TEST(Transfer, LaterPairsWinAndEveryCopyComesFromTheUnchangedSource) {
  RoomSet source;
  RoomSet destination;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    source[room].message = static_cast<std::uint16_t>(room);
    source[room].torches = {static_cast<std::uint16_t>(room)};
    destination[room].message = static_cast<std::uint16_t>(1000 + room);
    destination[room].chests = {0x80, 0x01};
  }
  source[6].hasPit = 1;
  TransferRooms(destination, {10, 10, 11, 3, 8}, source, {5, 6, 5, 8, 3});
  EXPECT_EQ(destination[10], source[6]);
  EXPECT_EQ(destination[11], source[5]);
  EXPECT_EQ(destination[3], source[8]);
  EXPECT_EQ(destination[8], source[3]);
  EXPECT_TRUE(destination[10].chests.empty());
  EXPECT_EQ(destination[12].message, 1012);
}

}  // namespace
