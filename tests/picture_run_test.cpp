// --picture through the real executable on synthetic drawing ROMs: its PNG
// decoded by Python's zlib, not by the product's code, pixel for pixel equal
// to the pictures drawn in this process; its refusals, each one line with
// nothing written.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/job/transfer_job.h"
#include "e2e_support.h"
#include "fixture/drawing_rom.h"
#include "fixture/test_image.h"
#include "picture/room_picture.h"
#include "rom/format.h"

namespace {

using e2e::Workspace;
using fixture::ByteList;
using Arguments = std::vector<std::string>;

// The picture in `png` as tests/png_decode.py reads it with Python's zlib
// (every chunk's CRC, the zlib stream, each row unfiltered).
Picture ReadPng(const std::filesystem::path& png) {
  const fixture::TempDir scratch;
  const fixture::RunResult run = fixture::RunRoomxfer(
      "python3", {ROOMXFER_SOURCE_DIR "/tests/png_decode.py", png.string(), "pixels"},
      scratch.path);
  Picture picture;
  if (run.exitStatus != 0 ||
      std::sscanf(run.output.c_str(), "%d %d", &picture.width, &picture.height) != 2) {
    throw std::runtime_error("the PNG reader refused " + png.string() + ": " + run.output);
  }
  const ByteList pixels = fixture::ReadFile(scratch.path / "pixels");
  picture.rgb.assign(pixels.begin(), pixels.end());
  return picture;
}

// The synthetic drawing ROM whose room effect is the room's own header byte
// 0 (& 7), read through the game's header table and bank as the game's
// Underworld_LoadHeader reads them: a picture then shows which header the
// ROM holds for the room.
ByteList DrawingRomReadingHeaders() {
  ByteList rom = fixture::BuildDrawingRom();
  // At $01:B564, called by Underworld_LoadRoom: REP #$30; LDA $01:B5DD; STA $04
  // (the header table's address); SEP #$20; LDA $01:B5DF; STA $06 (its bank);
  // REP #$20; LDA $A0; ASL; TAY; LDA [$04],Y; STA $00 (the room's header);
  // SEP #$20; LDA $01:B5E7; STA $02 (the headers' bank); LDA [$00]; AND #$07;
  // STA $0414; SEP #$30; RTS.
  fixture::PutBytes(
      rom, 0xB564,
      {0xC2, 0x30, 0xAF, 0xDD, 0xB5, 0x01, 0x85, 0x04, 0xE2, 0x20, 0xAF, 0xDF, 0xB5, 0x01, 0x85,
       0x06, 0xC2, 0x20, 0xA5, 0xA0, 0x0A, 0xA8, 0xB7, 0x04, 0x85, 0x00, 0xE2, 0x20, 0xAF, 0xE7,
       0xB5, 0x01, 0x85, 0x02, 0xA7, 0x00, 0x29, 0x07, 0x8D, 0x14, 0x04, 0xE2, 0x30, 0x60});
  return rom;
}

RomImage Image(const ByteList& file, const std::string& name) {
  return PrepareInputRom(name, file).image;
}

std::string ReportLine(const DrawingCounts& counts) {
  return Format("Picture p.png: %d room%s drawn, %llu instructions run, %llu unmapped accesses\n",
                counts.roomsDrawn, counts.roomsDrawn == 1 ? "" : "s",
                static_cast<unsigned long long>(counts.instructions),
                static_cast<unsigned long long>(counts.unmappedAccesses));
}

// d.sfc: the drawing ROM; a.sfc: a ROM without drawing code, its room 18
// of another effect than b.smc's room 64; b.smc: the drawing ROM behind a
// copier header; r.pack: a.sfc's room 18 as room 64.
struct PictureWorkspace : Workspace {
  ByteList drawing = DrawingRomReadingHeaders();
  ByteList plain = fixture::BuildRom(fixture::SimpleRooms());

  PictureWorkspace() {
    Put("d.sfc", drawing);
    Put("a.sfc", plain);
    Put("b.smc", fixture::WithCopierHeader(drawing));
    if (Run({"--export", "r.pack", "a.sfc", "18-64"}).exitStatus != 0) {
      throw std::runtime_error("export failed");
    }
  }
};

// The preview of a.sfc's room 18 onto b.smc's room 64, drawn in this process.
Picture Preview(const PictureWorkspace& w, DrawingCounts& counts) {
  RomImage source = Image(w.plain, "a.sfc");
  RomImage destination = Image(w.drawing, "b.smc");
  TransferResult job = RunTransferJob(source, destination, {18}, {64}, "b.smc");
  return DrawRoomPicture(job.out, 64, counts);
}

TEST(PictureRun, WritesTheRoomsAsDrawnInProcess) {
  PictureWorkspace w;
  const auto drawn = [&w](std::vector<int> rooms) {
    return [&w, rooms](DrawingCounts& counts) {
      RomImage rom = Image(w.drawing, "d.sfc");
      return rooms.size() == 1 ? DrawRoomPicture(rom, rooms[0], counts)
                               : DrawUnderworldPicture(rom, rooms, counts);
    };
  };
  const struct {
    const char* title;
    Arguments arguments;
    int width;
    int height;
    std::function<Picture(DrawingCounts&)> expected;
  } cases[] = {
      {"one room", {"d.sfc", "--rooms", "0x12"}, 512, 512, drawn({0x12})},
      {"one room after SOURCE", {"d.sfc", "7-7"}, 512, 512, drawn({7})},
      {"a list", {"d.sfc", "300-5-0-5"}, 2048, 2560, drawn({0, 5, 300})},
      {"a preview",
       {"a.sfc", "b.smc", "18-64"},
       512,
       512,
       [&w](DrawingCounts& counts) { return Preview(w, counts); }},
      {"a pack's preview",
       {"r.pack", "b.smc"},
       512,
       512,
       [&w](DrawingCounts& counts) { return Preview(w, counts); }},
  };
  const std::set<std::string> inputs = w.Entries();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Arguments arguments = {"--picture", "p.png"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const fixture::RunResult result = w.Run(arguments);
    DrawingCounts counts;
    const Picture expected = c.expected(counts);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(result.output, ReportLine(counts));
    std::set<std::string> written = inputs;
    written.insert("p.png");
    EXPECT_EQ(w.Entries(), written);
    const Picture read = ReadPng(w.Path("p.png"));
    EXPECT_EQ(read.width, c.width);
    EXPECT_EQ(read.height, c.height);
    EXPECT_TRUE(read.rgb == expected.rgb);
  }
  // The preview shows the moved room's header, not the destination's own.
  DrawingCounts counts;
  RomImage destination = Image(w.drawing, "b.smc");
  EXPECT_NE(Preview(w, counts).rgb, DrawRoomPicture(destination, 64, counts).rgb);
}

// Every room drawn, in a picture of 16 x 20 rooms of 128 x 128 pixels (its
// pixels are the in-process tests' matter): the size from the PNG's IHDR,
// and every room of the synthetic ROM runs the same instructions. The tool
// is the optimised build: the sanitizers have seen the same code draw the
// list above, and take a minute over 320 rooms.
TEST(PictureRun, TheWholeUnderworldIsEveryRoomInTheGrid) {
  PictureWorkspace w;
  const fixture::RunResult result =
      fixture::RunRoomxfer(ROOMXFER_PLAIN_PATH, {"d.sfc", "--picture", "p.png"}, w.directory.path);
  DrawingCounts one;
  RomImage rom = Image(w.drawing, "d.sfc");
  DrawRoomPicture(rom, 0, one);
  DrawingCounts all{ROOM_COUNT, ROOM_COUNT * one.instructions, ROOM_COUNT * one.unmappedAccesses};
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, ReportLine(all));
  const ByteList png = w.Get("p.png");
  EXPECT_EQ(fixture::Slice(png, 12, 12),
            fixture::Joined({fixture::TextBytes("IHDR"), {0, 0, 0x08, 0x00, 0, 0, 0x0A, 0x00}}));
}

std::map<std::string, ByteList> Files(const Workspace& w) {
  std::map<std::string, ByteList> files;
  for (const std::string& name : w.Entries()) {
    files[name] = std::filesystem::is_directory(w.Path(name)) ? ByteList{} : w.Get(name);
  }
  return files;
}

TEST(PictureRun, RefusalsAreOneLineAndWriteNothing) {
  PictureWorkspace w;
  w.Put("notes.png", fixture::TextBytes("not a picture"));
  std::filesystem::create_directory(w.Path("folder.png"));
  const std::pair<Arguments, std::string> cases[] = {
      {{"p.png", "a.sfc"},
       "a.sfc: the ROM does not hold the game's Underworld_LoadEntrance_DoPotsBlocksTorches at "
       "$02:DAF0.\n"},
      {{"notes.png", "d.sfc"},
       "Refusing to write notes.png (the picture): the file of that name is not a PNG.\n"},
      {{"d.sfc", "d.sfc", "--rooms", "1"},
       "Refusing to write d.sfc (the picture): it is the same file as the source ROM d.sfc.\n"},
      {{"r.pack", "r.pack", "b.smc"},
       "Refusing to write r.pack (the picture): it is the same file as the source pack r.pack.\n"},
      {{"p.png", "r.pack"}, "r.pack is a room pack: name the destination ROM to apply it to.\n"},
      {{"p.png", "b.smc", "r.pack"},
       "r.pack is a room pack: it can be a source, not a destination.\n"},
      {{"p.png", "d.sfc", "1-2-3"}, "List of rooms is incorrect.\n"},
      {{"folder.png", "d.sfc", "5-5"}, "Could not open new picture file folder.png.\n"},
  };
  const std::map<std::string, ByteList> before = Files(w);
  for (const auto& [arguments, line] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    Arguments withOption = {"--picture"};
    withOption.insert(withOption.end(), arguments.begin(), arguments.end());
    const fixture::RunResult result = w.Run(withOption);
    EXPECT_EQ(result.output, line);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(Files(w), before);
  }
}

}  // namespace
