// The whole job in memory: read both ROMs, move the chosen rooms, and build
// the output image with every room relocated. Used by the run and by tests
// and tools that need the job without files.
#pragma once

#include <cstdio>
#include <string>

#include "app/job/output_layout.h"
#include "rom/output_rom.h"
#include "rom/rom_image.h"
#include "rooms/room_data.h"
#include "rooms/transfer.h"

struct TransferResult {
  RoomSet sourceSet;
  RoomSet destinationSet;  // after the transfer: what the output holds
  OutputRom out;
  OutputLayout layout;  // where the relocated area of `out` lies
};

// `destination` may be the same image as `source` (a one-ROM run). Progress
// lines go to `console` (nullptr: quiet); a failure stops the run.
TransferResult RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                              const RoomList& destinationRooms, const std::string& outputName,
                              const OutputLayout& layout = OutputLayout{},
                              std::FILE* console = nullptr);

// The job of a run, which needs neither input image afterwards: the output
// is built in the destination's storage where it has room (see ReadWholeFile)
// instead of in a copy, and the destination's image (in a one-ROM run, the
// source's too) is then left empty.
TransferResult RunTransferJobTakingDestination(RomImage& source, RomImage& destination,
                                               const RoomList& sourceRooms,
                                               const RoomList& destinationRooms,
                                               const std::string& outputName,
                                               const OutputLayout& layout, std::FILE* console);

// The same job into `result`, whose room sets keep their storage: for the fuzz
// harnesses, which run the tool on an output alone one input after another.
void RunTransferJobTakingDestination(RomImage& source, RomImage& destination,
                                     const RoomList& sourceRooms, const RoomList& destinationRooms,
                                     const std::string& outputName, TransferResult& result,
                                     const OutputLayout& layout = OutputLayout{},
                                     std::FILE* console = nullptr);

// The job with the source rooms at hand (a room pack's): only the destination
// is read, and `sourceSet` stands for what the source ROM's rooms would be.
void RunTransferJob(const RoomSet& sourceSet, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout = OutputLayout{},
                    std::FILE* console = nullptr);

// The same job into `result`, whose room sets and output keep their storage:
// for the fuzz harnesses, which run one job after another. The output is
// zeroed before the run, so it holds what a fresh run writes.
void RunTransferJob(RomImage& source, RomImage& destination, const RoomList& sourceRooms,
                    const RoomList& destinationRooms, const std::string& outputName,
                    TransferResult& result, const OutputLayout& layout = OutputLayout{},
                    std::FILE* console = nullptr);
