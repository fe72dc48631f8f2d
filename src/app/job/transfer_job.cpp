#include "app/job/transfer_job.h"

#include <algorithm>

#include "app/job/all_rooms.h"
#include "app/job/layout_checks.h"
#include "rom/open_rom.h"
#include "tables/pushable_blocks.h"

namespace {

// Where the output's bytes come from: a copy of the destination's in the
// output's own storage, or the destination's storage itself.
enum class OutputStorage { CopyOfDestination, TakenFromDestination };

void StartOutput(OutputRom& out, const std::string& outputName, std::FILE* console) {
  out.name = outputName;
  out.reading = ReadingName{};
  out.console = console;
  out.placedBlocks.clear();
  out.inPlaceRegions.clear();
}

// The output is the destination padded with 0x00 to the expanded size. In
// fresh storage of its full size the expanded area costs no memory until the
// writers fill it; taken over, the destination's bytes are not even copied.
void FillOutput(OutputRom& out, RomImage& destination, OutputStorage storage) {
  const std::int64_t size = std::max(ImageSize(destination), EXPANDED_ROM_SIZE);
  if (storage != OutputStorage::TakenFromDestination || !AdoptBytes(out, destination.bytes, size)) {
    ResetToZeros(out, size);
    out.position = 0;
    CopyFileContents(out, destination);
  }
  ExpandFile(out, EXPANDED_ROM_SIZE);
}

// Everything after the source rooms are read: the destination's rooms, the
// transfer and the relocated area.
void TransferOntoDestination(RomImage& destination, const RoomList& sourceRooms,
                             const RoomList& destinationRooms, const std::string& outputName,
                             RoomPointerTables& tables, TransferResult& result,
                             const OutputLayout& layout, std::FILE* console,
                             OutputStorage storage) {
  ReadAllRooms(destination, result.destinationSet, tables, layout.kind, console);
  if (layout.kind == LayoutKind::Editable) {
    FindListRegions(destination, tables, result.destinationSet, result.layout);
  }
  TransferRooms(result.destinationSet, destinationRooms, result.sourceSet, sourceRooms);

  const DestinationFacts facts = ReadDestinationFacts(destination, result.layout);
  StartOutput(result.out, outputName, console);
  FillOutput(result.out, destination, storage);
  WriteMarker(result.out, layout);
  WriteAllRooms(result.out, result.destinationSet, result.layout);
  CheckRelocatedLayout(facts, result.out, result.layout);
  if (layout.kind == LayoutKind::Editable) {
    ReportBlocksEditorsCannotSave(result.destinationSet, console);
  }
}

void RunJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
            const RoomList& destinationRooms, const std::string& outputName, TransferResult& result,
            const OutputLayout& layout, std::FILE* console, OutputStorage storage) {
  EmptyRoomSet(result.sourceSet);
  EmptyRoomSet(result.destinationSet);
  result.layout = layout;
  RoomPointerTables tables;
  // A one-ROM run reads the destination first, as its source.
  ReadAllRooms(source, result.sourceSet, tables,
               &source == &destination ? layout.kind : LayoutKind::Classic, console);
  TransferOntoDestination(destination, sourceRooms, destinationRooms, outputName, tables, result,
                          layout, console, storage);
}

}  // namespace

void RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout, std::FILE* console) {
  RunJob(source, destination, sourceRooms, destinationRooms, outputName, result, layout, console,
         OutputStorage::CopyOfDestination);
}

void RunTransferJob(const RoomSet& sourceSet, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout, std::FILE* console) {
  result.sourceSet = sourceSet;
  EmptyRoomSet(result.destinationSet);
  result.layout = layout;
  RoomPointerTables tables;
  TransferOntoDestination(destination, sourceRooms, destinationRooms, outputName, tables, result,
                          layout, console, OutputStorage::CopyOfDestination);
}

TransferResult RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                              const RoomList& destinationRooms, const std::string& outputName,
                              const OutputLayout& layout, std::FILE* console) {
  TransferResult result;
  RunTransferJob(source, destination, sourceRooms, destinationRooms, outputName, result, layout,
                 console);
  return result;
}

void RunTransferJobTakingDestination(RomImage& source, RomImage& destination,
                                     const RoomList& sourceRooms, const RoomList& destinationRooms,
                                     const std::string& outputName, TransferResult& result,
                                     const OutputLayout& layout, std::FILE* console) {
  RunJob(source, destination, sourceRooms, destinationRooms, outputName, result, layout, console,
         OutputStorage::TakenFromDestination);
}

TransferResult RunTransferJobTakingDestination(RomImage& source, RomImage& destination,
                                               const RoomList& sourceRooms,
                                               const RoomList& destinationRooms,
                                               const std::string& outputName,
                                               const OutputLayout& layout, std::FILE* console) {
  TransferResult result;
  RunTransferJobTakingDestination(source, destination, sourceRooms, destinationRooms, outputName,
                                  result, layout, console);
  return result;
}
