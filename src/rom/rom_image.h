// A ROM image held in memory, with the stream operations the readers and
// writers use: a position that seeks from the start, from the current place
// or from the end, and little-endian reads and writes of bytes, words (2 bytes)
// and long addresses (3 bytes). Every read is bounds-checked: a read outside
// the image stops the run with a line naming the file, what was being read
// and the offset. A write past the end extends the image with 0x00 bytes, as
// writing past the end of a file does.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/byte_list.h"

// What the readers are reading now, for messages: `text`, or when `numbered`
// is set, that and a number ("layer data of room 5"). The readers name every
// room and entry they read, so a numbered name is kept as it is given and
// only put into words when a message needs it.
struct ReadingName {
  std::string text = "ROM data";
  const char* numbered = nullptr;
  std::int64_t number = 0;
};

// An output image starts as fresh storage, all 0x00 (see ByteList); its
// blocks of ZERO_BLOCK_SIZE bytes that no write has reached since are known
// to hold only 0x00 without being read, so writing the file skips them
// without touching their memory.
constexpr std::int64_t ZERO_BLOCK_SIZE = 0x10000;

struct RomImage {
  std::string name;  // the file the image came from or goes to, for messages
  ByteList bytes;
  std::int64_t position = 0;
  ReadingName reading;
  std::vector<bool> zeroBlocks;  // output only: block i is known to hold only 0x00
};

// Replaces the image's bytes with `size` bytes, all 0x00 and all known to be
// so until written: fresh storage, or the image's own if it is large enough.
void ResetToZeros(RomImage& image, std::int64_t size);

// Makes `bytes` the image's, padded with 0x00 to `size`, without copying
// them: only where their storage has room for `size` bytes and holds 0x00
// past their end (as ReadWholeFile leaves it), and then `bytes` is left
// empty. False, and nothing changed, where it has not.
bool AdoptBytes(RomImage& image, ByteList& bytes, std::int64_t size);

// Whether bytes [start, end) lie in blocks known to hold only 0x00.
bool IsKnownZero(const RomImage& image, std::int64_t start, std::int64_t end);

void Seek(RomImage& image, std::int64_t offset);
void SeekRelative(RomImage& image, std::int64_t delta);
void SeekToEnd(RomImage& image);
std::int64_t Tell(const RomImage& image);
std::int64_t ImageSize(const RomImage& image);

// The image's bytes from `offset` to its end; an offset outside the image
// stops the run as a read of `count` bytes there does.
std::span<const std::uint8_t> BytesFrom(const RomImage& image, std::int64_t offset,
                                        std::int64_t count);

// Whether the image holds `bytes` at `offset`; false where they would lie outside it.
bool HoldsAt(const RomImage& image, std::int64_t offset, std::span<const std::uint8_t> bytes);

// Appends the image's bytes [start, end), which the caller has checked, to `list`.
void AppendImageBytes(ByteList& list, const RomImage& image, std::int64_t start, std::int64_t end);

// Stops the run unless `count` bytes from `offset` lie inside the image.
void RequireInside(const RomImage& image, std::int64_t offset, std::int64_t count);

std::uint8_t ReadByte(RomImage& image);
std::uint16_t ReadWord(RomImage& image);
std::uint32_t ReadLong(RomImage& image);  // 3 bytes into the low bytes of a zeroed value
// `count` bytes; one outside the image stops the run at that byte's offset.
void ReadBytes(RomImage& image, std::uint8_t* into, std::size_t count);

void WriteByte(RomImage& image, std::uint8_t value);
void WriteWord(RomImage& image, std::uint16_t value);
void WriteLong(RomImage& image, std::uint32_t value);  // low 3 bytes
void WriteBytes(RomImage& image, const ByteList& data);
void WriteBytes(RomImage& image, const std::uint8_t* data, std::size_t count);
void WriteText(RomImage& image, const std::string& text);  // characters, no terminator

// Reads and writes at `offset` that leave the position where it stands.
std::uint8_t ReadByteAt(RomImage& image, std::int64_t offset);
std::uint16_t ReadWordAt(RomImage& image, std::int64_t offset);
std::uint32_t ReadLongAt(RomImage& image, std::int64_t offset);
// The same, naming what is read (SetReading) first.
std::uint8_t ReadByteAt(RomImage& image, std::int64_t offset, const char* what);
std::uint16_t ReadWordAt(RomImage& image, std::int64_t offset, const char* what);
std::uint32_t ReadLongAt(RomImage& image, std::int64_t offset, const char* what);
void WriteByteAt(RomImage& image, std::int64_t offset, std::uint8_t value);
void WriteWordAt(RomImage& image, std::int64_t offset, std::uint16_t value);
void WriteLongAt(RomImage& image, std::int64_t offset, std::uint32_t value);

// Names what is being read, for the messages of reads that fail.
void SetReading(RomImage& image, const char* what);
void SetReading(RomImage& image, const std::string& what);
void SetReading(RomImage& image, const char* what, std::int64_t number);  // "what number"
std::string DescribeReading(const RomImage& image);
