#include "app/transfer_job.h"

#include <algorithm>

#include "app/all_rooms.h"
#include "app/layout_checks.h"
#include "rom/open_rom.h"

namespace {

// The output's buffer is reserved at its full size before the destination is
// copied into it, so the copy is made once and never moved; a reused output
// keeps its storage.
void StartOutput(RomImage& out, const std::string& outputName, const RomImage& destination) {
  out.name = outputName;
  out.bytes.clear();
  out.bytes.reserve(static_cast<std::size_t>(std::max(ImageSize(destination), EXPANDED_ROM_SIZE)));
  out.position = 0;
  out.reading = ReadingName{};
  out.console = destination.console;
  out.placedBlocks.clear();
}

}  // namespace

void RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result) {
  StartOutput(result.out, outputName, destination);
  CopyFileContents(result.out, destination);
  ExpandFile(result.out, EXPANDED_ROM_SIZE);

  EmptyRoomSet(result.sourceSet);
  EmptyRoomSet(result.destinationSet);
  ReadAllRooms(source, result.sourceSet);
  ReadAllRooms(destination, result.destinationSet);
  TransferRooms(result.destinationSet, destinationRooms, result.sourceSet, sourceRooms);

  Seek(result.out, RELOCATION_START);
  WriteMarker(result.out);
  WriteAllRooms(result.out, result.destinationSet);
  CheckRelocatedLayout(destination, result.out);
}

TransferResult RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                              const RoomList& destinationRooms, const std::string& outputName) {
  TransferResult result;
  RunTransferJob(source, destination, sourceRooms, destinationRooms, outputName, result);
  return result;
}
