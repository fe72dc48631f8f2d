// Writes two different sample ROM images of the game's layout to try the tool
// on: DIR/source.sfc (headerless) and DIR/destination.smc (copier header).
// Both carry the synthetic drawing code (fixture/drawing_rom.h), apart from
// every field the transfer reads, so that --picture draws their rooms.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "fixture/drawing_rom.h"
#include "fixture/rom_fixture.h"
#include "fixture/run_tool.h"

namespace {

constexpr std::uint32_t SOURCE_SEED = 1;
constexpr std::uint32_t DESTINATION_SEED = 2;

fixture::ByteList SampleRom(std::uint32_t seed) {
  fixture::ByteList rom = fixture::BuildRom(fixture::RandomRooms(seed));
  fixture::PlantDrawingCode(rom);
  return rom;
}

void Write(const std::filesystem::path& path, const fixture::ByteList& bytes, const char* form) {
  fixture::WriteFile(path, bytes);
  std::printf("wrote %s (%zu bytes, %s)\n", path.string().c_str(), bytes.size(), form);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_roms DIR\n");
    return 2;
  }
  try {
    std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    Write(directory / "source.sfc", SampleRom(SOURCE_SEED), "headerless");
    Write(directory / "destination.smc", fixture::WithCopierHeader(SampleRom(DESTINATION_SEED)),
          "with copier header");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_sample_roms: %s\n", error.what());
    return 1;
  }
  return 0;
}
