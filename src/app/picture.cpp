#include "app/picture.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/input_files.h"
#include "app/job/transfer_job.h"
#include "app/pack_source.h"
#include "app/room_lists.h"
#include "app/rooms_option.h"
#include "picture/png.h"
#include "picture/room_picture.h"
#include "rom/failure.h"
#include "rom/format.h"
#include "rom/rom_file.h"

namespace {

// The first 8 bytes of every PNG file.
constexpr std::array<std::uint8_t, 8> PNG_SIGNATURE = {0x89, 0x50, 0x4E, 0x47,
                                                       0x0D, 0x0A, 0x1A, 0x0A};

// Pairs source room, destination room from ROOMS or --rooms, where a lone
// room or range names itself; without either, every room onto itself.
// False when no list is given.
bool ReadPictureList(const PictureArguments& arguments, const CommandLine& line,
                     RoomList& sourceRooms, RoomList& destinationRooms) {
  bool wellFormed = true;
  if (line.rooms) {
    wellFormed =
        ParseRoomsOption(*line.rooms, sourceRooms, destinationRooms, LoneItems::NameThemselves);
  } else if (arguments.roomList) {
    ParseRoomList(*arguments.roomList, sourceRooms, destinationRooms);
  } else {
    FillIdentityRoomLists(sourceRooms, destinationRooms);
    return false;
  }
  if (!wellFormed || !CheckRoomLists(sourceRooms, destinationRooms)) {
    StopRun("List of rooms is incorrect.\n");
  }
  return true;
}

// An input as the picture reads it: no headerless copy is made, so messages
// name the file itself.
InputFile OpenInput(const std::string& name, const char* role) {
  InputFile file = LoadInputFile(name);
  if (!file.canOpen) {
    StopRun(Format("Could not open %s file %s.\n", role, name.c_str()));
  }
  RefuseTooLarge(file);
  if (file.rom) {
    file.rom->image.name = file.name;
  }
  return file;
}

void RefuseIfInput(const std::string& pictureName, const InputFile& input, const char* role) {
  if (IsSameFile(pictureName, input.name)) {
    StopRun(Format("Refusing to write %s (the picture): it is the same file as the %s %s.\n",
                   pictureName.c_str(), role, input.name.c_str()));
  }
}

// The picture replaces no input and no file that is not a PNG.
void CheckPictureName(const std::string& pictureName, const InputFile& source,
                      const InputFile* destination) {
  RefuseIfInput(pictureName, source, source.pack ? "source pack" : "source ROM");
  if (destination != nullptr) {
    RefuseIfInput(pictureName, *destination, "destination ROM");
  }
  if (HoldsFileOfAnotherKind(pictureName, PNG_SIGNATURE)) {
    StopRun(Format("Refusing to write %s (the picture): the file of that name is not a PNG.\n",
                   pictureName.c_str()));
  }
}

// One room at full size; several (ascending) in the underworld's grid.
Picture DrawRooms(RomImage& rom, const RoomList& rooms, DrawingCounts& counts) {
  if (rooms.size() == 1) {
    return DrawRoomPicture(rom, rooms.front(), counts);
  }
  return DrawUnderworldPicture(rom, rooms, counts);
}

// The transfer in memory, quietly, and the destination rooms drawn by the
// new ROM's code. Messages name the destination, whose code it is.
Picture DrawPreview(InputFile& source, const std::optional<RoomPack>& pack, InputFile& destination,
                    const RoomList& sourceRooms, const RoomList& destinationRooms,
                    DrawingCounts& counts) {
  RomImage& destinationRom = destination.rom->image;
  TransferResult result;
  if (pack) {
    RunTransferJob(pack->rooms, destinationRom, sourceRooms, destinationRooms, destination.name,
                   result);
  } else {
    result = RunTransferJobTakingDestination(source.rom->image, destinationRom, sourceRooms,
                                             destinationRooms, destination.name, OutputLayout{},
                                             nullptr);
  }
  return DrawRooms(result.out, RoomsNamedIn({}, destinationRooms), counts);
}

const char* Plural(std::uint64_t count, const char* ending) { return count == 1 ? "" : ending; }

std::string ReportLine(const std::string& pictureName, const DrawingCounts& counts) {
  const auto rooms = static_cast<std::uint64_t>(counts.roomsDrawn);
  return Format("Picture %s: %llu room%s drawn, %llu instruction%s run, %llu unmapped access%s\n",
                pictureName.c_str(), static_cast<unsigned long long>(rooms), Plural(rooms, "s"),
                static_cast<unsigned long long>(counts.instructions),
                Plural(counts.instructions, "s"),
                static_cast<unsigned long long>(counts.unmappedAccesses),
                Plural(counts.unmappedAccesses, "es"));
}

// The inputs of a picture, opened and checked, with the pairs it draws.
struct PictureInputs {
  RoomList sourceRooms;
  RoomList destinationRooms;
  bool listGiven = false;
  InputFile source;
  std::optional<RoomPack> pack;
  std::optional<InputFile> destination;
};

void OpenPictureInputs(const CommandLine& line, PictureInputs& inputs) {
  const PictureArguments arguments = TakePictureArguments(line.positionals);
  inputs.listGiven = ReadPictureList(arguments, line, inputs.sourceRooms, inputs.destinationRooms);
  inputs.source = OpenInput(arguments.source, "source ROM");
  if (inputs.source.pack) {
    if (!arguments.destination) {
      StopRun(Format("%s is a room pack: name the destination ROM to apply it to.\n",
                     inputs.source.name.c_str()));
    }
    inputs.pack = ReadPackFile(inputs.source);
    if (inputs.listGiven) {
      RefuseRoomsNotHeld(*inputs.pack, inputs.source.name, inputs.sourceRooms);
    } else {
      FillHeldRoomLists(*inputs.pack, inputs.sourceRooms, inputs.destinationRooms);
    }
  }
  if (arguments.destination) {
    inputs.destination = OpenInput(*arguments.destination, "destination ROM");
    if (inputs.destination->pack) {
      StopRun(Format("%s is a room pack: it can be a source, not a destination.\n",
                     inputs.destination->name.c_str()));
    }
  }
}

Picture DrawPictureInputs(PictureInputs& inputs, DrawingCounts& counts) {
  if (inputs.destination) {
    return DrawPreview(inputs.source, inputs.pack, *inputs.destination, inputs.sourceRooms,
                       inputs.destinationRooms, counts);
  }
  return DrawRooms(inputs.source.rom->image,
                   inputs.listGiven ? RoomsNamedIn(inputs.sourceRooms, inputs.destinationRooms)
                                    : inputs.destinationRooms,
                   counts);
}

}  // namespace

void RunPicture(const CommandLine& line) {
  const std::string& pictureName = *line.picture;
  PictureInputs inputs;
  OpenPictureInputs(line, inputs);
  CheckPictureName(pictureName, inputs.source, inputs.destination ? &*inputs.destination : nullptr);

  PendingFileGuard file;
  file.pending = CreatePendingFile(pictureName);
  if (!file.pending) {
    StopRun(Format("Could not open new picture file %s.\n", pictureName.c_str()));
  }
  DrawingCounts counts;
  const Picture picture = DrawPictureInputs(inputs, counts);
  RomImage png;
  png.name = pictureName;
  png.bytes = EncodePng(picture);
  CommitFile(*file.pending, png);
  std::fputs(ReportLine(pictureName, counts).c_str(), stdout);
}

Picture DrawCommandLinePicture(const CommandLine& line, DrawingCounts& counts) {
  PictureInputs inputs;
  OpenPictureInputs(line, inputs);
  return DrawPictureInputs(inputs, counts);
}
