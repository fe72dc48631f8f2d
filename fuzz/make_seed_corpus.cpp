// Writes the fuzz target's seed corpus into DIR: sound jobs of every form the
// fixture builds, and a few damaged ones, in the input format of
// transfer_job_input.h.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "fixture/rom_fixture.h"
#include "fixture/run_tool.h"
#include "transfer_job_input.h"

namespace {

using fixture::ByteList;

constexpr std::uint8_t SOURCE = 0;
constexpr std::uint8_t DESTINATION = 1;

struct Seed {
  std::uint8_t flags;
  std::string roomList;
  ByteList patches;
};

// A patch's operation byte, anchor and distance.
ByteList PatchHead(std::uint8_t target, std::uint8_t kind, std::uint8_t anchor,
                   std::int16_t distance) {
  const auto raw = static_cast<std::uint16_t>(distance);
  return {static_cast<std::uint8_t>(target | (kind << 1)), anchor,
          static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8)};
}

// Writes `bytes` at the operand of the instruction whose opcode is at `opcode`
// (one of the anchors), or at an anchor itself with `distance` 0.
ByteList WriteBytes(std::uint8_t target, std::int64_t opcode, std::int16_t distance,
                    const ByteList& bytes) {
  ByteList patch = PatchHead(target, 0, fuzzing::AnchorOf(opcode), distance);
  patch.push_back(static_cast<std::uint8_t>(bytes.size()));
  patch.insert(patch.end(), bytes.begin(), bytes.end());
  return patch;
}

ByteList PointLong(std::uint8_t target, std::int64_t field, std::int16_t distance,
                   std::uint8_t anchor, std::int16_t anchorDistance) {
  ByteList patch = PatchHead(target, 3, fuzzing::AnchorOf(field), distance);
  const ByteList place = {anchor, static_cast<std::uint8_t>(anchorDistance & 0xFF),
                          static_cast<std::uint8_t>((anchorDistance >> 8) & 0xFF)};
  patch.insert(patch.end(), place.begin(), place.end());
  return patch;
}

ByteList CutAt(std::uint8_t target, std::int64_t anchor, std::int16_t distance) {
  return PatchHead(target, 5, fuzzing::AnchorOf(anchor), distance);
}

ByteList ExtendTo(std::uint8_t target, std::int64_t anchor, std::uint8_t fill) {
  ByteList patch = PatchHead(target, 6, fuzzing::AnchorOf(anchor), 0);
  patch.push_back(fill);
  return patch;
}

ByteList Joined(const std::vector<ByteList>& parts) {
  ByteList all;
  for (const ByteList& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<Seed> Seeds() {
  const std::uint8_t end = fuzzing::EndOfImageAnchor();
  return {
      {0x00, "", {}},
      {0x40, "3-8-8-3", {}},
      {0x34, "", {}},
      {0x83, "5-6-5-7-5-8-5-9-5-10", {}},
      {0xC0, "1-300", {}},
      {0x90, "0-0-319-319", {}},
      {0x05, "7-7", {}},
      {0x00, "1-2", CutAt(DESTINATION, fixture::LAYER_DATA, 0x100)},
      {0x00, "1-2", PointLong(DESTINATION, fixture::LAYER_TABLE, 0, end, -4)},
      {0x00, "", WriteBytes(SOURCE, 0x88C0, 1, {0x7F, 0x01})},
      {0x00, "4-4", WriteBytes(DESTINATION, 0xEBF5, 1, {0x00, 0x40})},
      {0x00, "12-13", ExtendTo(DESTINATION, 0x200000, 0xFF)},
      {0x08, "", ExtendTo(DESTINATION, 0x2F8000, 0xFF)},
      {0x0C, "", ExtendTo(SOURCE, 0x2F8000, 0xFF)},
      {0x08, "1-2-1-3-1-4-1-5-1-6-1-7-1-8-1-9-1-10-1-11-1-12-1-13-1-14-1-15-1-16", {}},
      {0xC0, "",
       Joined({WriteBytes(DESTINATION, 0x1F8050, 0, {0x41, 0x42}),
               WriteBytes(SOURCE, 0x394A5, 1, {0x00, 0x80})})},
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus DIR\n");
    return 2;
  }
  try {
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    int number = 0;
    for (const Seed& seed : Seeds()) {
      ByteList input = {seed.flags, static_cast<std::uint8_t>(seed.roomList.size())};
      input.insert(input.end(), seed.roomList.begin(), seed.roomList.end());
      input.insert(input.end(), seed.patches.begin(), seed.patches.end());
      fixture::WriteFile(directory / ("seed-" + std::to_string(number++)), input);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_seed_corpus: %s\n", error.what());
    return 1;
  }
  return 0;
}
