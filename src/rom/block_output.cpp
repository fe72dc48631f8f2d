#include "rom/block_output.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "rom/failure.h"
#include "rom/format.h"
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

std::int64_t PlaceBlock(OutputRom& out, const char* writer, std::uint32_t uiDataSize,
                        std::uint32_t blockSize) {
  AlignTo16(out);
  Report(out, Format("%s(): uiDataSize = %X\n", writer, uiDataSize));
  EnsureNoBankBreach(out, blockSize);
  return Tell(out);
}

void WriteWindowAddresses(RomImage& out, std::span<const std::uint32_t> fields,
                          std::int64_t tableStart, std::uint32_t windowSize) {
  for (std::size_t window = 0; window < fields.size(); ++window) {
    WriteLongAt(out, fields[window],
                PcToSnes(static_cast<std::uint32_t>(tableStart) +
                         static_cast<std::uint32_t>(window) * windowSize));
  }
}

namespace {

std::size_t RoundUpTo16(std::size_t size) { return (size + 15) / 16 * 16; }

}  // namespace

void AppendLabel(ByteList& list, const std::string& text) {
  list.insert(list.end(), text.begin(), text.end());
}

void PadTo16(ByteList& list) { list.resize(RoundUpTo16(list.size()), 0x00); }

namespace {

// Formats like snprintf into `capacity` bytes and gives the length kept. The
// labels' formats are text ending in one "%d" or "%X", put together here
// directly: snprintf would cost more than the rest of writing the label.
std::size_t FormatInto(char* text, std::size_t capacity, const char* format, unsigned value) {
  const char* conversion = std::strchr(format, '%');
  const bool direct = conversion != nullptr && conversion[2] == '\0' &&
                      (conversion[1] == 'X' || (conversion[1] == 'd' && value <= INT_MAX));
  if (!direct) {
    const int length = std::snprintf(text, capacity, format, value);
    return std::min(static_cast<std::size_t>(length > 0 ? length : 0), capacity - 1);
  }
  const unsigned base = conversion[1] == 'd' ? 10 : 16;
  char digits[16];
  std::size_t digitCount = 0;
  do {
    digits[digitCount++] = "0123456789ABCDEF"[value % base];
    value /= base;
  } while (value != 0);
  std::size_t length = 0;
  for (const char* next = format; next < conversion && length + 1 < capacity; ++next) {
    text[length++] = *next;
  }
  while (digitCount > 0 && length + 1 < capacity) {
    text[length++] = digits[--digitCount];
  }
  text[length] = '\0';
  return length;
}

}  // namespace

std::string FormatLabel(const char* format, unsigned value) {
  char buffer[LABEL_BUFFER_SIZE];
  const std::size_t length = FormatInto(buffer, sizeof buffer, format, value);
  return std::string(buffer, length);
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
  label.length = FormatInto(label.text.data(), label.text.size(), format, value);
  return label;
}

std::size_t LabelBlockSize(const RoomLabel& label) { return RoundUpTo16(label.length); }

void WriteLabelBlock(RomImage& out, const RoomLabel& label) {
  static constexpr std::uint8_t ZEROS[16] = {};
  WriteBytes(out, reinterpret_cast<const std::uint8_t*>(label.text.data()), label.length);
  WriteBytes(out, ZEROS, LabelBlockSize(label) - label.length);
}
