#include "app/run.h"

#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/input_files.h"
#include "app/room_lists.h"
#include "app/transfer_job.h"
#include "rom/failure.h"
#include "rom/rom_file.h"

namespace {

struct RunArguments {
  std::string sourceName;
  std::optional<std::string> destinationName;  // absent: the source is also the destination
  std::optional<std::string> roomList;
};

RunArguments TakePositionalArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    StopRun("Too few arguments\n");
  }
  RunArguments run;
  run.sourceName = arguments[0];
  if (arguments.size() >= 2) {
    run.destinationName = arguments[1];
  }
  if (arguments.size() >= 3) {
    run.roomList = arguments[2];
  }
  return run;
}

void BuildRoomLists(const RunArguments& run, RoomList& sourceRooms, RoomList& destinationRooms) {
  if (run.roomList) {
    ParseRoomList(*run.roomList, sourceRooms, destinationRooms);
  } else {
    FillIdentityRoomLists(sourceRooms, destinationRooms);
  }
  if (!CheckRoomLists(sourceRooms, destinationRooms)) {
    StopRun("List of rooms is incorrect.\n");
  }
}

void RefuseTooLarge(const InputFile& file) {
  if (file.tooLarge) {
    StopRun(Format("%s: the file is larger than 16 MiB, too large to be a ROM of the game.\n",
                   file.name.c_str()));
  }
}

// Opens both ROMs in the order the run has always had, making their headerless
// copies; the checks that must come before any file is created come first.
void OpenInputs(const RunArguments& run, InputFile& source, InputFile& destination) {
  source = LoadInputFile(run.sourceName);
  if (!source.canOpen) {
    StopRun(Format("Could not open source ROM file %s.\n", run.sourceName.c_str()));
  }
  RefuseTooLarge(source);
  if (run.destinationName) {
    destination = LoadInputFile(*run.destinationName);
    RefuseTooLarge(destination);
  }
  const std::string outputName = "_" + run.destinationName.value_or(run.sourceName);
  CheckFilesDoNotCollide(source, run.destinationName ? &destination : nullptr, outputName);

  WriteHeaderlessCopy(*source.rom);
  if (!run.destinationName) {
    return;
  }
  if (!destination.canOpen) {
    StopRun(Format("Could not open destination ROM file %s.\n", run.destinationName->c_str()));
  }
  WriteHeaderlessCopy(*destination.rom);
}

void RunTransfer(const std::vector<std::string>& arguments, std::optional<PendingFile>& output) {
  RoomList sourceRooms;
  RoomList destinationRooms;

  const RunArguments run = TakePositionalArguments(arguments);
  BuildRoomLists(run, sourceRooms, destinationRooms);

  InputFile source;
  InputFile destination;
  OpenInputs(run, source, destination);
  RomImage& sourceRom = source.rom->image;
  RomImage& destinationRom = run.destinationName ? destination.rom->image : sourceRom;

  const std::string outputName = "_" + run.destinationName.value_or(run.sourceName);
  output = CreatePendingFile(outputName);
  if (!output) {
    StopRun(Format("Could not open new ROM file %s", outputName.c_str()));
  }
  const TransferResult result =
      RunTransferJob(sourceRom, destinationRom, sourceRooms, destinationRooms, outputName);

  std::fflush(stdout);
  CommitFile(*output, result.out.bytes);
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::optional<PendingFile> output;
  try {
    RunTransfer(arguments, output);
    return 0;
  } catch (const std::runtime_error& failure) {
    std::fputs(failure.what(), stdout);
  } catch (const std::bad_alloc&) {
    std::fputs("Out of memory.\n", stdout);
  }
  if (output) {
    AbandonFile(*output);
  }
  std::fflush(stdout);
  return 1;
}
