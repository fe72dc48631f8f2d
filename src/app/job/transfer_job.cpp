#include "app/job/transfer_job.h"

#include <algorithm>

#include "app/job/all_rooms.h"
#include "app/job/layout_checks.h"
#include "rom/open_rom.h"

namespace {

// The output starts as zeroed storage of its full size: the destination is
// copied into it once and never moved, and in fresh storage the expanded area
// costs no memory until the writers fill it.
void StartOutput(OutputRom& out, const std::string& outputName, const RomImage& destination,
                 std::FILE* console) {
  out.name = outputName;
  ResetToZeros(out, std::max(ImageSize(destination), EXPANDED_ROM_SIZE));
  out.position = 0;
  out.reading = ReadingName{};
  out.console = console;
  out.placedBlocks.clear();
  out.inPlaceRegions.clear();
}

// Everything after the source rooms are read: the destination's rooms, the
// transfer and the relocated area.
void TransferOntoDestination(RomImage& destination, const RoomList& sourceRooms,
                             const RoomList& destinationRooms, RoomPointerTables& tables,
                             TransferResult& result, const OutputLayout& layout,
                             std::FILE* console) {
  ReadAllRooms(destination, result.destinationSet, tables, layout.kind, console);
  if (layout.kind == LayoutKind::Editable) {
    FindListRegions(destination, tables, result.destinationSet, result.layout);
  }
  TransferRooms(result.destinationSet, destinationRooms, result.sourceSet, sourceRooms);

  WriteMarker(result.out, layout);
  WriteAllRooms(result.out, result.destinationSet, result.layout);
  CheckRelocatedLayout(destination, result.out, result.layout);
}

}  // namespace

void RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout, std::FILE* console) {
  StartOutput(result.out, outputName, destination, console);
  CopyFileContents(result.out, destination);
  ExpandFile(result.out, EXPANDED_ROM_SIZE);

  EmptyRoomSet(result.sourceSet);
  EmptyRoomSet(result.destinationSet);
  result.layout = layout;
  RoomPointerTables tables;
  // A one-ROM run reads the destination first, as its source.
  ReadAllRooms(source, result.sourceSet, tables,
               &source == &destination ? layout.kind : LayoutKind::Classic, console);
  TransferOntoDestination(destination, sourceRooms, destinationRooms, tables, result, layout,
                          console);
}

void RunTransferJob(const RoomSet& sourceSet, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout, std::FILE* console) {
  StartOutput(result.out, outputName, destination, console);
  CopyFileContents(result.out, destination);
  ExpandFile(result.out, EXPANDED_ROM_SIZE);

  result.sourceSet = sourceSet;
  EmptyRoomSet(result.destinationSet);
  result.layout = layout;
  RoomPointerTables tables;
  TransferOntoDestination(destination, sourceRooms, destinationRooms, tables, result, layout,
                          console);
}

TransferResult RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                              const RoomList& destinationRooms, const std::string& outputName,
                              const OutputLayout& layout, std::FILE* console) {
  TransferResult result;
  RunTransferJob(source, destination, sourceRooms, destinationRooms, outputName, result, layout,
                 console);
  return result;
}
