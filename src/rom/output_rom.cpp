#include "rom/output_rom.h"

void RecordBlock(OutputRom& out, BlockKind kind, std::int64_t start, std::int64_t end) {
  out.placedBlocks.push_back({kind, start, end, -1});
}

void RecordRoomBlock(OutputRom& out, BlockKind kind, int room, std::int64_t start,
                     std::int64_t end) {
  out.placedBlocks.push_back({kind, start, end, room});
}

void RecordRegion(OutputRom& out, const std::string& name, std::int64_t start, std::size_t used,
                  std::int64_t space) {
  out.inPlaceRegions.push_back({name, start, static_cast<std::int64_t>(used), space});
}

void Report(std::FILE* console, const std::string& line) {
  if (console != nullptr) {
    std::fputs(line.c_str(), console);
  }
}

void Report(const OutputRom& out, const std::string& line) { Report(out.console, line); }
