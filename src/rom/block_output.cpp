#include "rom/block_output.h"

#include <algorithm>
#include <cstdio>

#include "rom/failure.h"
#include "rom/snes_address.h"

void AlignTo16(RomImage& out) {
  const std::int64_t remainder = Tell(out) % 16;
  if (remainder != 0) {
    SeekRelative(out, 16 - remainder);
  }
}

void EnsureNoBankBreach(RomImage& out, std::uint32_t size) {
  if (size > BANK_SIZE) {
    StopRun("The data to be written would cause a bank breach, cannot proceed.\n");
  }
  const std::int64_t start = Tell(out);
  const std::int64_t last = start + (size == 0 ? 0 : size - 1);
  if (start / BANK_SIZE != last / BANK_SIZE) {
    SeekRelative(out, BANK_SIZE - start % BANK_SIZE);
  }
}

namespace {

std::size_t RoundUpTo16(std::size_t size) { return (size + 15) / 16 * 16; }

}  // namespace

void AppendLabel(ByteList& list, const std::string& text) {
  list.insert(list.end(), text.begin(), text.end());
}

void PadTo16(ByteList& list) { list.resize(RoundUpTo16(list.size()), 0x00); }

std::string FormatLabel(const char* format, unsigned value) {
  char buffer[LABEL_BUFFER_SIZE];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

ByteList LabelBlock(const std::string& text) {
  ByteList block;
  block.reserve(RoundUpTo16(text.size()));
  AppendLabel(block, text);
  PadTo16(block);
  return block;
}

RoomLabel FormatRoomLabel(const char* format, unsigned value) {
  RoomLabel label;
  const int length = std::snprintf(label.text.data(), label.text.size(), format, value);
  label.length = std::min(static_cast<std::size_t>(length > 0 ? length : 0), label.text.size() - 1);
  return label;
}

std::size_t LabelBlockSize(const RoomLabel& label) { return RoundUpTo16(label.length); }

void WriteLabelBlock(RomImage& out, const RoomLabel& label) {
  static constexpr std::uint8_t ZEROS[16] = {};
  WriteBytes(out, reinterpret_cast<const std::uint8_t*>(label.text.data()), label.length);
  WriteBytes(out, ZEROS, LabelBlockSize(label) - label.length);
}
