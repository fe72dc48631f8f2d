// Placing blocks in the relocated area of the output image: every block
// starts at a multiple of 16 and lies inside one 0x8000-byte bank, under a
// short ASCII label.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "rom/output_rom.h"
#include "rom/rom_image.h"

// Per-room labels such as "Sprites Room 319" are formatted into a buffer of
// this size, so they keep at most 16 characters.
constexpr std::size_t LABEL_BUFFER_SIZE = 17;

// Moves the position up to the next multiple of 16; nothing is written.
void AlignTo16(RomImage& out);

// Makes sure `size` bytes from the position stay in one bank, moving the
// position to the next bank start when they would not. A block of more than
// 0x8000 bytes stops the run.
void EnsureNoBankBreach(RomImage& out, std::uint32_t size);

// Aligns the position to 16, prints the writer's "NAME(): uiDataSize = X"
// line, and keeps the next `blockSize` bytes in one bank as
// EnsureNoBankBreach does; returns where the block starts. uiDataSize, the
// name the line has always printed, is the size the writer reports for its
// data; the block may be larger (a label in front, space kept free).
std::int64_t PlaceBlock(OutputRom& out, const char* writer, std::uint32_t uiDataSize,
                        std::uint32_t blockSize);

// Writes at each of `fields` the 3-byte SNES address of one window of a
// table at `tableStart`: window i starts i * windowSize bytes into it.
void WriteWindowAddresses(RomImage& out, std::span<const std::uint32_t> fields,
                          std::int64_t tableStart, std::uint32_t windowSize);

// Appends the characters of `text`, without terminator.
void AppendLabel(ByteList& list, const std::string& text);

// Appends 0x00 bytes until the length is a multiple of 16.
void PadTo16(ByteList& list);

// A label formatted like snprintf into LABEL_BUFFER_SIZE bytes (cut to 16 characters).
std::string FormatLabel(const char* format, unsigned value);

// The label characters padded with 0x00 to a multiple of 16.
ByteList LabelBlock(const std::string& text);

// A per-room label ("Sprites Room 319") kept in place, for the writers that
// size all 320 rooms' labels before writing them.
struct RoomLabel {
  std::array<char, LABEL_BUFFER_SIZE> text{};
  std::size_t length = 0;
};

RoomLabel FormatRoomLabel(const char* format, unsigned value);

// The size of the label's block: its characters padded with 0x00 to a multiple of 16.
std::size_t LabelBlockSize(const RoomLabel& label);

// Writes the label's block at the position.
void WriteLabelBlock(RomImage& out, const RoomLabel& label);
