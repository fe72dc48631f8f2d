#include "app/run.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/export.h"
#include "app/game_check.h"
#include "app/input_files.h"
#include "app/inspect.h"
#include "app/inspect_pack.h"
#include "app/job/transfer_job.h"
#include "app/map.h"
#include "app/options.h"
#include "app/pack_source.h"
#include "app/picture.h"
#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "app/verify.h"
#include "rom/checksum.h"
#include "rom/failure.h"
#include "rom/file_names.h"
#include "rom/format.h"
#include "rom/rom_file.h"
#include "tables/game_code.h"

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

// From the positional ROOMS, from --rooms (`roomsOption`) or, without
// either, every room onto itself.
void BuildRoomLists(const std::optional<std::string>& positionalList,
                    const std::optional<std::string>& roomsOption, RoomList& sourceRooms,
                    RoomList& destinationRooms) {
  bool wellFormed = true;
  if (roomsOption) {
    wellFormed = ParseRoomsOption(*roomsOption, sourceRooms, destinationRooms);
  } else if (positionalList) {
    ParseRoomList(*positionalList, sourceRooms, destinationRooms);
  } else {
    FillIdentityRoomLists(sourceRooms, destinationRooms);
  }
  if (!wellFormed || !CheckRoomLists(sourceRooms, destinationRooms)) {
    StopRun("List of rooms is incorrect.\n");
  }
}

// "_" in front of the destination name (of its last part when absolute).
std::string OutputName(const RunArguments& run) {
  return PrefixedName("_", run.destinationName.value_or(run.sourceName));
}

// What a dry run checks instead of creating a file: the name is not a
// directory, and its directory exists and may be written to.
bool CouldCreateFile(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (name.empty() || fs::is_directory(FilePath(name), error)) {
    return false;
  }
  fs::path directory = FilePath(name).parent_path();
  if (directory.empty()) {
    directory = ".";
  }
  const fs::file_status status = fs::status(directory, error);
  const fs::perms anyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return !error && fs::is_directory(status) && (status.permissions() & anyWrite) != fs::perms::none;
}

// A file without the game's code, which the run is sure to refuse, gets no
// copy: only a ROM of the game leaves one behind.
void MakeHeaderlessCopy(const InputRom& rom, bool dryRun) {
  if (rom.hasCopierHeader && !HoldsGameCode(rom.image)) {
    return;
  }
  if (!dryRun) {
    WriteHeaderlessCopy(rom);
  } else if (rom.hasCopierHeader && !CouldCreateFile(rom.copyName)) {
    StopRun(Format("Could not open temporary ROM file %s\n", rom.copyName.c_str()));
  }
}

// Opens the source: a ROM, or a room pack, which is read at once and whose
// rooms the lists must name (nothing is created before that).
void OpenSource(const RunArguments& run, bool listGiven, InputFile& source,
                std::optional<RoomPack>& pack, RoomList& sourceRooms, RoomList& destinationRooms) {
  source = LoadInputFile(run.sourceName);
  if (!source.canOpen) {
    StopRun(Format("Could not open source ROM file %s.\n", run.sourceName.c_str()));
  }
  RefuseTooLarge(source);
  if (!source.pack) {
    return;
  }
  if (!run.destinationName) {
    StopRun(Format("%s is a room pack: name the destination ROM to apply it to.\n",
                   source.name.c_str()));
  }
  pack = ReadPackFile(source);
  source.pack->clear();  // the rooms read are all the run needs of the text
  source.pack->shrink_to_fit();
  if (listGiven) {
    RefuseRoomsNotHeld(*pack, source.name, sourceRooms);
  } else {
    FillHeldRoomLists(*pack, sourceRooms, destinationRooms);
  }
}

// Opens the destination after the source, in the order the run has always
// had, making their headerless copies; the checks that must come before any
// file is created come first.
void OpenInputs(const RunArguments& run, bool dryRun, InputFile& source, InputFile& destination) {
  if (run.destinationName) {
    destination = LoadInputFile(*run.destinationName);
    RefuseTooLarge(destination);
    if (destination.pack) {
      StopRun(Format("%s is a room pack: it can be a source, not a destination.\n",
                     destination.name.c_str()));
    }
  }
  const std::string outputName = OutputName(run);
  CheckFilesDoNotCollide(source, run.destinationName ? &destination : nullptr, outputName);

  if (source.rom) {
    MakeHeaderlessCopy(*source.rom, dryRun);
  }
  if (!run.destinationName) {
    return;
  }
  if (!destination.canOpen) {
    StopRun(Format("Could not open destination ROM file %s.\n", run.destinationName->c_str()));
  }
  MakeHeaderlessCopy(*destination.rom, dryRun);
}

// Creates the output file; a dry run only checks that it could be created.
std::optional<PendingFile> PrepareOutput(const std::string& outputName, bool dryRun) {
  std::optional<PendingFile> output;
  if (!dryRun) {
    output = CreatePendingFile(outputName);
  }
  if (dryRun ? !CouldCreateFile(outputName) : !output) {
    StopRun(Format("Could not open new ROM file %s", outputName.c_str()));
  }
  return output;
}

OutputLayout LayoutOf(const CommandLine& line) {
  OutputLayout layout;
  layout.base = line.relocationBase;
  layout.kind = line.editable ? LayoutKind::Editable : LayoutKind::Classic;
  return layout;
}

// What --verify's game check needs of the run besides the output.
struct MovedRooms {
  GameCheckSource source;
  const RoomList& sourceRooms;
  const RoomList& destinationRooms;
};

// The options' work on the finished image, before anything is written.
void FinishImage(const CommandLine& line, TransferResult& result, const MovedRooms& moved,
                 RunReport& report) {
  if (line.fixChecksum) {
    FixChecksum(result.out);
  }
  if (line.map) {
    std::fputs(FormatMap(result.out, result.layout).c_str(), stdout);
    report.map = SummariseMap(result.out, result.layout);
  }
  if (line.verify) {
    const VerifyReport& verify = report.verify.emplace(VerifyOutput(result));
    if (verify.unexpected > 0) {
      StopRun(verify.text);
    }
    std::fputs(verify.text.c_str(), stdout);
    const GameCheckReport& game = report.gameCheck.emplace(
        CheckRoomsInGame(moved.source, result.out, moved.sourceRooms, moved.destinationRooms));
    std::fputs(game.text.c_str(), stdout);
  }
}

void RunTransfer(const CommandLine& line, RunReport& report) {
  RoomList sourceRooms;
  RoomList destinationRooms;

  const RunArguments run = TakePositionalArguments(line.positionals);
  BuildRoomLists(run.roomList, line.rooms, sourceRooms, destinationRooms);

  InputFile source;
  InputFile destination;
  std::optional<RoomPack> pack;
  OpenSource(run, run.roomList || line.rooms, source, pack, sourceRooms, destinationRooms);
  OpenInputs(run, line.dryRun, source, destination);

  const std::string outputName = OutputName(run);
  PendingFileGuard output;
  output.pending = PrepareOutput(outputName, line.dryRun);
  // From a pack the destination is copied; from ROMs the output takes over
  // the destination's storage, which nothing reads afterwards but, in a
  // one-ROM run, --verify's game check, which loads the source rooms.
  TransferResult result = [&] {
    if (pack) {
      TransferResult fromPack;
      RunTransferJob(pack->rooms, destination.rom->image, sourceRooms, destinationRooms, outputName,
                     fromPack, LayoutOf(line), stdout);
      return fromPack;
    }
    RomImage& sourceRom = source.rom->image;
    RomImage& destinationRom = run.destinationName ? destination.rom->image : sourceRom;
    if (line.verify && !run.destinationName) {
      return RunTransferJob(sourceRom, destinationRom, sourceRooms, destinationRooms, outputName,
                            LayoutOf(line), stdout);
    }
    return RunTransferJobTakingDestination(sourceRom, destinationRom, sourceRooms, destinationRooms,
                                           outputName, LayoutOf(line), stdout);
  }();
  const GameCheckSource gameSource{pack ? nullptr : &source.rom->image, source.name};
  FinishImage(line, result, MovedRooms{gameSource, sourceRooms, destinationRooms}, report);

  std::fflush(stdout);
  if (line.dryRun) {
    std::fputs("Dry run: nothing was written.\n", stdout);
    return;
  }
  CommitFile(*output.pending, result.out);
  report.output = outputName;
}

// --inspect: reads one ROM, dropping a copier header in memory only.
void RunInspection(const CommandLine& line, RunReport& report) {
  RoomList selection;
  if (line.rooms) {
    RoomList sourceRooms;
    RoomList destinationRooms;
    BuildRoomLists(std::nullopt, line.rooms, sourceRooms, destinationRooms);
    selection = RoomsNamedIn(sourceRooms, destinationRooms);
  }
  InputFile file = LoadInputFile(*line.inspectRom);
  if (!file.canOpen) {
    StopRun(Format("Could not open ROM file %s.\n", file.name.c_str()));
  }
  RefuseTooLarge(file);
  if (file.pack) {
    const RoomPack pack = ReadPackFile(file);
    if (line.rooms) {
      RefuseRoomsNotHeld(pack, file.name, selection);
    }
    const Inspection& inspection =
        report.inspection.emplace(InspectPackRooms(pack, line.rooms ? &selection : nullptr));
    std::fputs(inspection.text.c_str(), stdout);
    return;
  }
  RomImage& image = file.rom->image;
  image.name = file.name;  // no headerless copy is made: messages name the file itself
  OutputLayout layout;
  layout.base = line.relocationBase;
  const Inspection& inspection =
      report.inspection.emplace(InspectRomRooms(image, line.rooms ? &selection : nullptr, layout));
  std::fputs(inspection.text.c_str(), stdout);
}

void Run(const CommandLine& line, RunReport& report) {
  if (line.exportPack) {
    RunExport(line);
    report.output = *line.exportPack;
  } else if (line.picture) {
    RunPicture(line);
    report.output = *line.picture;
  } else if (line.inspectRom) {
    RunInspection(line, report);
  } else {
    RunTransfer(line, report);
  }
}

}  // namespace

std::string FailureLine(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::runtime_error& stop) {
    return stop.what();
  } catch (const std::bad_alloc&) {
    return "Out of memory.\n";
  } catch (const std::exception& fault) {
    // A fault of the tool's own (an index out of range, say): one line, never an abort.
    return Format("Internal error: %s.\n", fault.what());
  } catch (...) {
    return "Internal error: unknown exception.\n";
  }
}

int RunCommandLine(int argc, char** argv, RunReport* report) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.usageError.empty()) {
    if (report != nullptr) {
      report->failure = parsed.usageError;
    }
    std::fputs(parsed.usageError.c_str(), stdout);
    std::fflush(stdout);
    return USAGE_ERROR_STATUS;
  }
  if (parsed.line.help || parsed.line.version) {
    std::fputs((parsed.line.help ? HelpText() : VersionText()).c_str(), stdout);
    std::fflush(stdout);
    return 0;
  }
  // The output's temporary file is gone by the time a failure is printed.
  try {
    RunReport unused;
    Run(parsed.line, report != nullptr ? *report : unused);
    std::fflush(stdout);
    return 0;
  } catch (...) {
    const std::string line = FailureLine(std::current_exception());
    if (report != nullptr) {
      report->failure = line;
    }
    std::fputs(line.c_str(), stdout);
  }
  std::fflush(stdout);
  return 1;
}
