// Writes the cases the browser page is compared with the command line on:
// fixture ROMs in DIR and DIR/cases.txt, one case a line, tab-separated:
//
//   NAME  SOURCE  DESTINATION  FORM  LIST  OPTIONS
//
// DESTINATION "-": a one-ROM run. FORM "rooms": LIST goes to --rooms;
// "plain": LIST is the ROOMS argument; "none": no list. OPTIONS: the
// command line's options, separated by spaces ("-" for none).
//
// Beside the cases, for the page's own tests: drawn-source.sfc and
// drawn-destination.sfc (ROMs with the synthetic drawing code) and
// big-destination.sfc (the latter at 4 MiB).
//
// The named cases first (a transfer between the sample ROMs, a one-ROM
// re-lay, a one-ROM run on a headered ROM, an --editable run between two
// ROMs in the editors' layout), then COUNT generated ones from SEED: random
// ROMs (some with a copier header, some in the editors' layout), random room
// lists in both forms, random options; a few of them fail on purpose.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fixture/drawing_rom.h"
#include "fixture/rom_fixture.h"
#include "fixture/run_tool.h"

namespace {

constexpr std::uint32_t SOURCE_SEED = 1;  // the rooms of make_sample_roms' sample ROMs
constexpr std::uint32_t DESTINATION_SEED = 2;

struct WebCase {
  std::string name;
  std::string source;
  std::string destination = "-";
  std::string form = "none";
  std::string list;
  std::string options;
};

fixture::RandomOptions EditorRoomOptions() {
  fixture::RandomOptions options;
  options.torchSpace = fixture::GAME_TORCH_SPACE;
  return options;
}

struct CaseWriter {
  std::filesystem::path directory;
  std::vector<WebCase> cases;
  std::mt19937 random;

  int Below(int limit) { return static_cast<int>(random() % static_cast<std::uint32_t>(limit)); }
  bool OneIn(int chance) { return Below(chance) == 0; }

  void Put(const std::string& name, const fixture::ByteList& bytes) {
    fixture::WriteFile(directory / name, bytes);
  }

  std::string Room() {
    const int room = Below(ROOM_COUNT);
    switch (Below(3)) {
      case 0:
        return std::to_string(room);
      case 1: {
        char text[8];
        std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(room));
        return text;
      }
      default: {
        char text[8];
        std::snprintf(text, sizeof text, "$%x", static_cast<unsigned>(room));
        return text;
      }
    }
  }

  // A --rooms list: pairs and ranges, now and then one the run refuses.
  std::string RoomsList() {
    std::string list;
    const int items = 1 + Below(5);
    for (int i = 0; i < items; ++i) {
      list += i == 0 ? "" : ",";
      if (OneIn(3)) {
        const int first = Below(300);
        const int length = 1 + Below(16);
        const int destination = Below(ROOM_COUNT - length);
        list += std::to_string(first) + ".." + std::to_string(first + length - 1) + ":" +
                std::to_string(destination);
      } else {
        list += Room() + ":" + Room();
      }
    }
    return OneIn(8) ? list + ",12:" : list;
  }

  // A ROOMS argument, runs of "-" included; an odd count now and then.
  std::string PlainList() {
    const int pairs = 1 + Below(6);
    std::string list = OneIn(4) ? "-" : "";
    for (int i = 0; i < 2 * pairs; ++i) {
      list += (i == 0 ? "" : (OneIn(5) ? "--" : "-")) + std::to_string(Below(ROOM_COUNT));
    }
    return OneIn(8) ? list + "-7" : list;
  }

  void Generate(int index) {
    WebCase c;
    c.name = "generated" + std::to_string(index);
    const bool editor = OneIn(4);
    const bool oneRom = OneIn(4);
    auto rom = [&](const std::string& role) {
      const std::uint32_t seed = random();
      fixture::ByteList bytes =
          editor ? fixture::BuildEditorRom(fixture::RandomRooms(seed, EditorRoomOptions()))
                 : fixture::BuildRom(fixture::RandomRooms(seed));
      const bool headered = OneIn(3);
      const std::string name = c.name + "_" + role + (headered ? ".smc" : ".sfc");
      Put(name, headered ? fixture::WithCopierHeader(bytes) : bytes);
      return name;
    };
    c.source = rom("source");
    if (!oneRom) {
      c.destination = rom("destination");
    }
    const int form = Below(3);
    if (form == 1 || (form == 2 && oneRom)) {
      c.form = "rooms";
      c.list = RoomsList();
    } else if (form == 2) {
      c.form = "plain";
      c.list = PlainList();
    }
    std::vector<std::string> options;
    if (editor && !OneIn(4)) {
      options.push_back("--editable");
    }
    if (OneIn(6)) {
      options.push_back(editor ? "--base=0x208000" : "--base=0x180000");
    }
    const char* flags[] = {"--fix-checksum", "--verify", "--map"};
    for (const char* flag : flags) {
      if (OneIn(3)) {
        options.push_back(flag);
      }
    }
    if (OneIn(6)) {
      options.push_back("--dry-run");
    }
    for (const std::string& option : options) {
      c.options += (c.options.empty() ? "" : " ") + option;
    }
    cases.push_back(c);
  }

  void WriteList() const {
    std::ofstream list(directory / "cases.txt", std::ios::binary);
    for (const WebCase& c : cases) {
      list << c.name << '\t' << c.source << '\t' << c.destination << '\t' << c.form << '\t'
           << (c.list.empty() ? "-" : c.list) << '\t' << (c.options.empty() ? "-" : c.options)
           << '\n';
    }
    if (!list) {
      throw std::runtime_error("cannot write " + (directory / "cases.txt").string());
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_web_cases DIR COUNT SEED\n");
    return 2;
  }
  try {
    CaseWriter writer;
    writer.directory = argv[1];
    writer.random.seed(static_cast<std::uint32_t>(std::stoul(argv[3])));
    std::filesystem::create_directories(writer.directory);

    writer.Put("source.sfc", fixture::BuildRom(fixture::RandomRooms(SOURCE_SEED)));
    writer.Put("destination.smc", fixture::WithCopierHeader(
                                      fixture::BuildRom(fixture::RandomRooms(DESTINATION_SEED))));
    writer.Put("hack.sfc", fixture::BuildEditorRom(fixture::RandomRooms(3, EditorRoomOptions())));
    writer.Put("other.sfc", fixture::BuildEditorRom(fixture::RandomRooms(4, EditorRoomOptions())));
    // For the pictures and the packs: the sample ROMs of make demo, with the
    // synthetic drawing code; for a run that takes a while, a 4 MiB one.
    fixture::ByteList drawnSource = fixture::BuildRom(fixture::RandomRooms(SOURCE_SEED));
    fixture::ByteList drawnDestination = fixture::BuildRom(fixture::RandomRooms(DESTINATION_SEED));
    fixture::PlantDrawingCode(drawnSource);
    fixture::PlantDrawingCode(drawnDestination);
    writer.Put("drawn-source.sfc", drawnSource);
    writer.Put("drawn-destination.sfc", drawnDestination);
    drawnDestination.resize(4 * 1024 * 1024);
    writer.Put("big-destination.sfc", drawnDestination);
    writer.cases.push_back(
        {"transfer", "source.sfc", "destination.smc", "plain", "1-40-2-41-3-300", "--map"});
    writer.cases.push_back({"relay", "source.sfc", "-", "none", "", ""});
    writer.cases.push_back({"headered", "destination.smc", "-", "rooms", "5..9:100", "--verify"});
    writer.cases.push_back({"editable", "other.sfc", "hack.sfc", "rooms",
                            "0x60..0x6F:0x100,$12:$40", "--editable --map"});
    for (int i = 1; i <= std::stoi(argv[2]); ++i) {
      writer.Generate(i);
    }
    writer.WriteList();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_web_cases: %s\n", error.what());
    return 1;
  }
  return 0;
}
