// Times the whole job on the sample ROMs: in memory (RunTransferJob), as a
// whole roomxfer process, and beside it a plain copy of the headerless source
// padded to 3 MiB by dd, what a one-ROM run must at least do on disk; the
// export of a room pack of all 320 rooms and its applying, against the
// ROM-to-ROM run; the peak memory of the runs; the underworld picture of all
// 320 rooms of a synthetic drawing ROM, drawn in memory; --verify's game
// check of 320 moved rooms on synthetic loading ROMs; the PNG encoder on
// synthetic room pictures (png_bench.cpp); and the 65816 interpreter's rate on
// a fixed mix of instructions.
//
// usage: bench ROOMXFER DIR [RUNS]   (DIR holds source.sfc and destination.smc;
//        RUNS, default 60, is how many times each process is timed)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/game_check.h"
#include "app/job/transfer_job.h"
#include "cpu/cpu.h"
#include "fixture/drawing_rom.h"
#include "fixture/loading_rom.h"
#include "picture/room_load_check.h"
#include "picture/room_picture.h"
#include "png_bench.h"
#include "rom/open_rom.h"
#include "rom/rom_file.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int JOB_RUNS = 100;
constexpr int DEFAULT_PROCESS_RUNS = 60;
constexpr int PICTURE_RUNS = 5;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

InputRom LoadRom(const std::filesystem::path& path) {
  const std::optional<ByteList> bytes = ReadWholeFile(path.string());
  if (!bytes) {
    std::fprintf(stderr, "bench: cannot read %s\n", path.c_str());
    std::exit(1);
  }
  return PrepareInputRom(path.filename().string(), *bytes);
}

double TimeJobInMemory(const std::filesystem::path& directory) {
  const InputRom source = LoadRom(directory / "source.sfc");
  const InputRom destination = LoadRom(directory / "destination.smc");
  RoomList sourceRooms;
  RoomList destinationRooms;
  for (std::int32_t room = 0; room < ROOM_COUNT; ++room) {
    sourceRooms.push_back(room);
    destinationRooms.push_back(room);
  }
  std::vector<double> times;
  for (int run = 0; run < JOB_RUNS; ++run) {
    RomImage sourceImage = source.image;
    RomImage destinationImage = destination.image;
    const Clock::time_point start = Clock::now();
    const TransferResult result = RunTransferJob(sourceImage, destinationImage, sourceRooms,
                                                 destinationRooms, "_destination.smc");
    times.push_back(Milliseconds(Clock::now() - start));
    if (result.out.bytes.size() != 0x300000) {
      std::fprintf(stderr, "bench: unexpected output size\n");
      std::exit(1);
    }
  }
  return Median(times);
}

// The median time of DrawUnderworldPicture on all 320 rooms of a synthetic
// drawing ROM, with what one drawing ran.
double TimeUnderworldPicture(DrawingCounts& counts) {
  RomImage image;
  image.name = "drawing.sfc";
  image.bytes = fixture::BuildDrawingRom();
  std::vector<int> rooms;
  for (int room = 0; room < ROOM_COUNT; ++room) rooms.push_back(room);
  std::vector<double> times;
  for (int run = 0; run < PICTURE_RUNS; ++run) {
    counts = DrawingCounts{};
    const Clock::time_point start = Clock::now();
    const Picture map = DrawUnderworldPicture(image, rooms, counts);
    times.push_back(Milliseconds(Clock::now() - start));
    if (map.rgb.empty() || counts.roomsDrawn != ROOM_COUNT) {
      std::fprintf(stderr, "bench: the underworld picture was not drawn\n");
      std::exit(1);
    }
  }
  return Median(times);
}

// The median time of --verify's game check of all 320 rooms moved from one
// synthetic loading ROM onto another (whose rooms the output relocates), with
// the instructions its loads run.
double TimeGameCheck(std::uint64_t& instructions) {
  RomImage source;
  source.name = "source.sfc";
  source.bytes = fixture::BuildLoadingRom();
  RomImage destination;
  destination.name = "destination.sfc";
  destination.bytes = fixture::BuildLoadingRom();
  RoomList rooms;
  for (int room = 0; room < ROOM_COUNT; ++room) rooms.push_back(room);
  const TransferResult result =
      RunTransferJob(source, destination, rooms, rooms, "_destination.sfc");
  std::vector<double> times;
  for (int run = 0; run < PICTURE_RUNS; ++run) {
    const Clock::time_point start = Clock::now();
    const std::string lines =
        CheckRoomsInGame({&source, source.name}, result.out, rooms, rooms).text;
    times.push_back(Milliseconds(Clock::now() - start));
    if (lines != "320 moved rooms load in the new ROM as in the source\n") {
      std::fprintf(stderr, "bench: the game check found differences: %s", lines.c_str());
      std::exit(1);
    }
  }
  RoomLoader sourceLoader;
  RoomLoader outLoader;
  PrepareRoomLoader(sourceLoader, source.bytes);
  PrepareRoomLoader(outLoader, result.out.bytes);
  instructions = 0;
  for (int room = 0; room < ROOM_COUNT; ++room) {
    instructions +=
        LoadRoom(sourceLoader, room).instructions + LoadRoom(outLoader, room).instructions;
  }
  return Median(times);
}

// The interpreter's mix: a loop over 0x200 words with loads and stores in both
// widths (long,X from WRAM, abs,X from ROM, direct page, [dp],Y and (dp),Y),
// an addition, a JSR to a subroutine and a compare and branch; then a block
// move of 0x100 bytes; again and again until the budget is spent.
constexpr std::uint64_t INTERPRETER_BUDGET = 100'000'000;

std::vector<std::uint8_t> InterpreterMixRom() {
  const std::vector<std::uint8_t> code = {
      0x4B, 0xAB,              // $8000: PHK, PLB
      0xC2, 0x30,              //        REP #$30
      0xA2, 0x00, 0x00,        //        LDX #$0000
      0xA0, 0x00, 0x00,        //        LDY #$0000
      0xBF, 0x00, 0x20, 0x7E,  // $800A: LDA $7E2000,X
      0x9D, 0x00, 0x08,        //        STA $0800,X
      0xA5, 0x10,              //        LDA $10
      0x18,                    //        CLC
      0x69, 0x03, 0x00,        //        ADC #$0003
      0x85, 0x10,              //        STA $10
      0xE2, 0x20,              //        SEP #$20
      0xBD, 0x00, 0x80,        //        LDA $8000,X
      0x85, 0x12,              //        STA $12
      0xB7, 0x20,              //        LDA [$20],Y
      0xC2, 0x20,              //        REP #$20
      0x20, 0x40, 0x80,        //        JSR $8040
      0xE8,                    //        INX
      0xE8,                    //        INX
      0xE0, 0x00, 0x04,        //        CPX #$0400
      0xD0, 0xDC,              //        BNE $800A
      0xA9, 0xFF, 0x00,        //        LDA #$00FF
      0xA2, 0x00, 0x20,        //        LDX #$2000
      0xA0, 0x00, 0x40,        //        LDY #$4000
      0x54, 0x7E, 0x7E,        //        MVN $7E,$7E
      0x80, 0xC4,              //        BRA $8000
      0xEA, 0xEA, 0xEA, 0xEA,  //
      0xB1, 0x16,              // $8040: LDA ($16),Y
      0x85, 0x18,              //        STA $18
      0x60,                    //        RTS
  };
  std::vector<std::uint8_t> rom(0x20000, 0x5A);
  std::copy(code.begin(), code.end(), rom.begin());
  return rom;
}

struct InterpreterRates {
  std::uint64_t instructions = 0;
  double perProcessorSecond = 0;  // what the machine's load does not change
  double perWallSecond = 0;
};

InterpreterRates TimeInterpreter() {
  const std::vector<std::uint8_t> rom = InterpreterMixRom();
  Machine machine{MakeBus(rom), {}, 0};
  // The ($16) pointer reaches $00:1000, the [$20] pointer $7F:0000.
  machine.bus.workRam.at(0x17) = 0x10;
  machine.bus.workRam.at(0x22) = 0x7F;
  const std::clock_t processorStart = std::clock();
  const Clock::time_point start = Clock::now();
  const RunResult result = CallRoutine(machine, 0x008000, CallKind::Short, INTERPRETER_BUDGET);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double processorSeconds =
      static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
  if (result.reason != StopReason::BudgetExhausted || machine.bus.unmappedReads != 0) {
    std::fprintf(stderr, "bench: the interpreter's mix did not run as written\n");
    std::exit(1);
  }
  const auto count = static_cast<double>(result.instructions);
  return {result.instructions, count / processorSeconds, count / seconds};
}

long peakKib = 0;  // the largest peak resident memory of a roomxfer run

// Runs a command in `directory` with standard output on /dev/null; gives its
// wall time, or stops the bench when it fails.
double TimeProcess(const std::vector<std::string>& command,
                   const std::filesystem::path& directory) {
  std::vector<char*> argv;
  for (const std::string& argument : command) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(directory);

  const Clock::time_point start = Clock::now();
  pid_t child = 0;
  int status = -1;
  rusage usage{};
  const bool started =
      posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
      wait4(child, &status, 0, &usage) == child;
  const double elapsed = Milliseconds(Clock::now() - start);
  if (command[0].find("roomxfer") != std::string::npos) {
    peakKib = std::max(peakKib, usage.ru_maxrss);
  }

  std::filesystem::current_path(previous);
  posix_spawn_file_actions_destroy(&actions);
  if (!started || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench: %s failed\n", command[0].c_str());
    std::exit(1);
  }
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const int processRuns = argc == 4 ? std::atoi(argv[3]) : DEFAULT_PROCESS_RUNS;
  if ((argc != 3 && argc != 4) || processRuns < 1) {
    std::fprintf(stderr, "usage: bench ROOMXFER DIR [RUNS]\n");
    return 2;
  }
  const std::string roomxfer = std::filesystem::absolute(argv[1]).string();
  const std::filesystem::path directory = argv[2];

  const double job = TimeJobInMemory(directory);
  const InterpreterRates interpreter = TimeInterpreter();
  std::vector<double> processTimes;
  std::vector<double> oneRomTimes;
  std::vector<double> copyTimes;
  std::vector<double> exportTimes;
  std::vector<double> applyTimes;
  // Alternating the runs keeps a change in the machine's load from favouring one.
  for (int run = 0; run < processRuns; ++run) {
    processTimes.push_back(TimeProcess({roomxfer, "source.sfc", "destination.smc"}, directory));
    oneRomTimes.push_back(TimeProcess({roomxfer, "source.sfc"}, directory));
    copyTimes.push_back(TimeProcess({"dd", "if=source.sfc", "of=padded_copy.sfc", "bs=3M",
                                     "count=1", "conv=sync", "status=none"},
                                    directory));
    exportTimes.push_back(
        TimeProcess({roomxfer, "--export", "all_rooms.pack", "source.sfc"}, directory));
    applyTimes.push_back(TimeProcess({roomxfer, "all_rooms.pack", "destination.smc"}, directory));
  }
  const double process = Median(processTimes);
  // Last: the picture's memory would count into the peak of the runs spawned after it.
  DrawingCounts pictureCounts;
  const double picture = TimeUnderworldPicture(pictureCounts);
  std::uint64_t gameCheckInstructions = 0;
  const double gameCheck = TimeGameCheck(gameCheckInstructions);
  const double oneRom = Median(oneRomTimes);
  const double copy = Median(copyTimes);

  std::printf("Median time per run on the sample ROMs (all 320 rooms):\n");
  std::printf("  job in memory (RunTransferJob):             %7.2f ms  (%d runs)\n", job, JOB_RUNS);
  std::printf("  whole process, source.sfc destination.smc: %7.2f ms  (%d runs)\n", process,
              processRuns);
  std::printf("  whole process, source.sfc alone:            %7.2f ms\n", oneRom);
  std::printf("  dd copy of source.sfc padded to 3 MiB:      %7.2f ms\n", copy);
  std::printf(
      "  --export all_rooms.pack source.sfc:         %7.2f ms  (pack of 320 rooms: %ju bytes)\n",
      Median(exportTimes),
      static_cast<std::uintmax_t>(std::filesystem::file_size(directory / "all_rooms.pack")));
  std::printf("  all_rooms.pack destination.smc:             %7.2f ms  (from the ROM: %.2f ms)\n",
              Median(applyTimes), process);
  std::printf("One-ROM run / copy: %.2f (goal: at most 0.85); two-ROM run / copy: %.2f\n",
              oneRom / copy, process / copy);
  // A spawned child shares the bench's pages until it starts roomxfer, and
  // the kernel counts them into the child's peak: an upper bound.
  std::printf("Peak memory of a roomxfer run, with the bench's own: %.1f MiB (bound: 16 MiB)\n",
              peakKib / 1024.0);
  std::printf(
      "Underworld picture of a synthetic drawing ROM (320 rooms, %ju instructions run): "
      "%.2f ms (%d runs)\n",
      static_cast<std::uintmax_t>(pictureCounts.instructions), picture, PICTURE_RUNS);
  std::printf(
      "Game check of 320 moved rooms on synthetic loading ROMs (640 loads, %ju instructions "
      "run): %.2f ms (%d runs; goal: within 1 s)\n",
      static_cast<std::uintmax_t>(gameCheckInstructions), gameCheck, PICTURE_RUNS);
  std::printf(
      "65816 interpreter on the fixed mix: %.0f million instructions a second of processor time "
      "(goal: at least 100; %.0f by the wall clock, %ju run)\n",
      interpreter.perProcessorSecond / 1e6, interpreter.perWallSecond / 1e6,
      static_cast<std::uintmax_t>(interpreter.instructions));
  std::printf(
      "(The one-ROM run reads the 1 MiB headerless source and writes a 3 MiB output,\n"
      "as dd does; the two-ROM run also reads destination.smc and writes its\n"
      "1 MiB headerless copy.)\n");
  PrintPngRows();
  return 0;
}
