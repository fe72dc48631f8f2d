// Writes a fuzz target's seed corpus into DIR: sound jobs of every form the
// fixture builds, and a few damaged ones, in the input format of
// transfer_job_input.h; with --editable, those of the editable layout's target.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
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
                    const ByteList& bytes, LayoutKind kind = LayoutKind::Classic) {
  ByteList patch = PatchHead(target, 0, fuzzing::AnchorOf(opcode, kind), distance);
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

ByteList CutAt(std::uint8_t target, std::int64_t anchor, std::int16_t distance,
               LayoutKind kind = LayoutKind::Classic) {
  return PatchHead(target, 5, fuzzing::AnchorOf(anchor, kind), distance);
}

ByteList ExtendTo(std::uint8_t target, std::int64_t anchor, std::uint8_t fill,
                  LayoutKind kind = LayoutKind::Classic) {
  ByteList patch = PatchHead(target, 6, fuzzing::AnchorOf(anchor, kind), 0);
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

constexpr LayoutKind EDITABLE = LayoutKind::Editable;
constexpr std::uint8_t DEFAULT_BASE = 0x00;

// The base byte for the relocated area at `base`.
std::uint8_t BaseChoice(std::int64_t base) {
  for (int choice = 0xA0; choice <= 0xFF; ++choice) {
    if (fuzzing::EditableBaseOf(static_cast<std::uint8_t>(choice)) == base) {
      return static_cast<std::uint8_t>(choice);
    }
  }
  throw std::logic_error("not a base");
}

struct EditableSeed {
  std::uint8_t base;
  Seed job;
};

// Bases 0 and 1 are editor ROMs, 2 one in the loader form, 3 an editable output.
std::vector<EditableSeed> EditableSeeds() {
  return {
      {DEFAULT_BASE, {0x00, "", {}}},
      {DEFAULT_BASE, {0x0C, "", {}}},
      {DEFAULT_BASE, {0x40, "3-8-8-3", {}}},
      {DEFAULT_BASE, {0x13, "1-40-2-41-3-300-17-17", {}}},
      {DEFAULT_BASE, {0xC8, "", {}}},
      {DEFAULT_BASE, {0x3C, "", {}}},
      {DEFAULT_BASE, {0x20, "5-6-5-7-5-8", {}}},
      {DEFAULT_BASE, {0x80, "", {}}},
      {DEFAULT_BASE, {0xD0, "0-0-319-319", {}}},
      {DEFAULT_BASE, {0x00, "4-4", WriteBytes(DESTINATION, 0xE6C7, 1, {0x0B}, EDITABLE)}},
      {DEFAULT_BASE,
       {0x00, "4-4", WriteBytes(DESTINATION, 0x15B15, 1, {0xEB, 0xF3, 0x04}, EDITABLE)}},
      {DEFAULT_BASE, {0x00, "", WriteBytes(SOURCE, 0x88C0, 1, {0x7F, 0x01}, EDITABLE)}},
      {DEFAULT_BASE, {0x04, "", CutAt(SOURCE, fixture::EDITOR_DATA_AREAS[1][0], 0, EDITABLE)}},
      {DEFAULT_BASE, {0x0C, "", ExtendTo(SOURCE, 0x2F8000, 0xFF, EDITABLE)}},
      {BaseChoice(0x100000), {0x04, "", {}}},
      {BaseChoice(0x2F8000), {0x0C, "", {}}},
      {BaseChoice(0x3F0000), {0x04, "", {}}},
      {BaseChoice(0x1E0000),
       {0x44, "", CutAt(SOURCE, fixture::EDITOR_DATA_AREAS[1][0], 0, EDITABLE)}},
  };
}

ByteList InputOf(const Seed& seed) {
  ByteList input = {seed.flags, static_cast<std::uint8_t>(seed.roomList.size())};
  input.insert(input.end(), seed.roomList.begin(), seed.roomList.end());
  input.insert(input.end(), seed.patches.begin(), seed.patches.end());
  return input;
}

}  // namespace

int main(int argc, char** argv) {
  const bool editable = argc == 3 && std::string(argv[1]) == "--editable";
  if (argc != 2 && !editable) {
    std::fprintf(stderr, "usage: make_seed_corpus [--editable] DIR\n");
    return 2;
  }
  try {
    const std::filesystem::path directory = argv[argc - 1];
    std::filesystem::create_directories(directory);
    std::vector<ByteList> inputs;
    if (editable) {
      for (const EditableSeed& seed : EditableSeeds()) {
        ByteList input = InputOf(seed.job);
        input.insert(input.begin(), seed.base);
        inputs.push_back(input);
      }
    } else {
      for (const Seed& seed : Seeds()) {
        inputs.push_back(InputOf(seed));
      }
    }
    int number = 0;
    for (const ByteList& input : inputs) {
      fixture::WriteFile(directory / ("seed-" + std::to_string(number++)), input);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_seed_corpus: %s\n", error.what());
    return 1;
  }
  return 0;
}
