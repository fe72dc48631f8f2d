#include "app/transfer_job.h"

#include <algorithm>

#include "app/all_rooms.h"
#include "app/layout_checks.h"
#include "rom/open_rom.h"

TransferResult RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                              const RoomList& destinationRooms, const std::string& outputName) {
  TransferResult result;
  result.out.name = outputName;
  result.out.console = destination.console;
  result.out.bytes.reserve(
      static_cast<std::size_t>(std::max(ImageSize(destination), EXPANDED_ROM_SIZE)));
  CopyFileContents(result.out, destination);
  ExpandFile(result.out, EXPANDED_ROM_SIZE);

  ReadAllRooms(source, result.sourceSet);
  ReadAllRooms(destination, result.destinationSet);
  TransferRooms(result.destinationSet, destinationRooms, result.sourceSet, sourceRooms);

  Seek(result.out, RELOCATION_START);
  WriteMarker(result.out);
  WriteAllRooms(result.out, result.destinationSet);
  CheckRelocatedLayout(destination, result.out);
  return result;
}
