#include "rom/rom_image.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

#include "rom/failure.h"
#include "rom/format.h"

namespace {

// Writes never reach this far in a sound run; the cap keeps a corrupt
// address from making the image grow without bound.
constexpr std::int64_t MAX_IMAGE_SIZE = 0x4000000;

void RequireWritable(const RomImage& image, std::int64_t count) {
  if (image.position < 0 || image.position + count > MAX_IMAGE_SIZE) {
    StopRun(Format("%s: cannot write %s at offset 0x%llX: outside the image.\n", image.name.c_str(),
                   DescribeReading(image).c_str(), static_cast<long long>(image.position)));
  }
}

// The blocks that bytes [start, end) reach hold data from now on.
void ForgetZeroBlocks(RomImage& image, std::int64_t start, std::int64_t end) {
  const auto blocks = static_cast<std::int64_t>(image.zeroBlocks.size());
  const std::int64_t last = std::min((end - 1) / ZERO_BLOCK_SIZE, blocks - 1);
  for (std::int64_t block = start / ZERO_BLOCK_SIZE; block <= last; ++block) {
    image.zeroBlocks[static_cast<std::size_t>(block)] = false;
  }
}

void WriteAt(RomImage& image, const std::uint8_t* data, std::size_t count) {
  RequireWritable(image, static_cast<std::int64_t>(count));
  const auto end = static_cast<std::size_t>(image.position) + count;
  if (static_cast<std::size_t>(image.position) == image.bytes.size()) {
    image.bytes.resize(end);  // appended without a zero-fill: the copy below fills it
  } else if (end > image.bytes.size()) {
    image.bytes.resize(end, 0x00);
  }
  if (count > 0 && !image.zeroBlocks.empty()) {
    ForgetZeroBlocks(image, image.position, static_cast<std::int64_t>(end));
  }
  // memcpy, not std::copy: the data never lie inside the image written to,
  // and under AddressSanitizer memmove is a byte loop.
  std::memcpy(image.bytes.data() + image.position, data, count);
  image.position += static_cast<std::int64_t>(count);
}

}  // namespace

void ResetToZeros(RomImage& image, std::int64_t size) {
  const auto count = static_cast<std::size_t>(size);
  if (image.bytes.capacity() >= count) {
    // Storage an earlier output left (a caller running job after job) is
    // zeroed where it is: cheaper than faulting in fresh pages again.
    image.bytes.resize(count);
    std::fill(image.bytes.begin(), image.bytes.end(), std::uint8_t{0x00});
  } else {
    image.bytes = ByteList(count);
  }
  image.zeroBlocks.assign(static_cast<std::size_t>((size + ZERO_BLOCK_SIZE - 1) / ZERO_BLOCK_SIZE),
                          true);
}

bool AdoptBytes(RomImage& image, ByteList& bytes, std::int64_t size) {
  const auto count = static_cast<std::size_t>(size);
  const std::size_t used = bytes.size();
  if (bytes.capacity() < count || used > count) {
    return false;
  }
  image.bytes = std::move(bytes);
  bytes.clear();
  image.bytes.resize(count);  // within the storage, which holds 0x00 there already
  assert(std::all_of(image.bytes.begin() + static_cast<std::ptrdiff_t>(used), image.bytes.end(),
                     [](std::uint8_t byte) { return byte == 0x00; }));
  const auto blocks = static_cast<std::size_t>((size + ZERO_BLOCK_SIZE - 1) / ZERO_BLOCK_SIZE);
  const auto firstZero = (used + static_cast<std::size_t>(ZERO_BLOCK_SIZE) - 1) /
                         static_cast<std::size_t>(ZERO_BLOCK_SIZE);
  image.zeroBlocks.assign(blocks, false);
  for (std::size_t block = firstZero; block < blocks; ++block) {
    image.zeroBlocks[block] = true;
  }
  return true;
}

bool IsKnownZero(const RomImage& image, std::int64_t start, std::int64_t end) {
  if (start < 0 || end <= start || end > ImageSize(image)) {
    return false;
  }
  const auto last = static_cast<std::size_t>((end - 1) / ZERO_BLOCK_SIZE);
  if (last >= image.zeroBlocks.size()) {
    return false;
  }
  for (auto block = static_cast<std::size_t>(start / ZERO_BLOCK_SIZE); block <= last; ++block) {
    if (!image.zeroBlocks[block]) {
      return false;
    }
  }
  return true;
}

void Seek(RomImage& image, std::int64_t offset) { image.position = offset; }

void SeekRelative(RomImage& image, std::int64_t delta) { image.position += delta; }

void SeekToEnd(RomImage& image) { image.position = ImageSize(image); }

std::int64_t Tell(const RomImage& image) { return image.position; }

std::int64_t ImageSize(const RomImage& image) {
  return static_cast<std::int64_t>(image.bytes.size());
}

void RequireInside(const RomImage& image, std::int64_t offset, std::int64_t count) {
  if (offset < 0 || offset > ImageSize(image) - count) {
    StopRun(
        Format("%s: cannot read the %s at offset 0x%llX: it lies outside the file "
               "(0x%llX bytes).\n",
               image.name.c_str(), DescribeReading(image).c_str(), static_cast<long long>(offset),
               static_cast<long long>(ImageSize(image))));
  }
}

std::span<const std::uint8_t> BytesFrom(const RomImage& image, std::int64_t offset,
                                        std::int64_t count) {
  if (offset < 0 || offset > ImageSize(image)) {
    RequireInside(image, offset, count);
  }
  return std::span<const std::uint8_t>(image.bytes).subspan(static_cast<std::size_t>(offset));
}

bool HoldsAt(const RomImage& image, std::int64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset < 0 || offset + static_cast<std::int64_t>(bytes.size()) > ImageSize(image)) {
    return false;
  }
  return std::equal(bytes.begin(), bytes.end(), image.bytes.begin() + offset);
}

void AppendImageBytes(ByteList& list, const RomImage& image, std::int64_t start, std::int64_t end) {
  const std::size_t used = list.size();
  const auto count = static_cast<std::size_t>(end - start);
  list.resize(used + count);
  if (count > 0) {
    std::memcpy(list.data() + used, image.bytes.data() + start, count);
  }
}

std::uint8_t ReadByte(RomImage& image) {
  RequireInside(image, image.position, 1);
  return image.bytes[static_cast<std::size_t>(image.position++)];
}

std::uint16_t ReadWord(RomImage& image) {
  RequireInside(image, image.position, 2);
  const std::uint16_t low = ReadByte(image);
  const std::uint16_t high = ReadByte(image);
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t ReadLong(RomImage& image) {
  RequireInside(image, image.position, 3);
  const std::uint32_t low = ReadByte(image);
  const std::uint32_t high = ReadByte(image);
  const std::uint32_t bank = ReadByte(image);
  return low | (high << 8) | (bank << 16);
}

void ReadBytes(RomImage& image, std::uint8_t* into, std::size_t count) {
  const auto size = static_cast<std::int64_t>(count);
  if (image.position < 0 || image.position > ImageSize(image) - size) {
    for (std::size_t i = 0; i < count; ++i) {
      into[i] = ReadByte(image);
    }
    return;
  }
  if (count > 0) {
    std::memcpy(into, image.bytes.data() + image.position, count);
  }
  image.position += size;
}

void WriteByte(RomImage& image, std::uint8_t value) { WriteAt(image, &value, 1); }

void WriteWord(RomImage& image, std::uint16_t value) {
  const std::uint8_t data[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                static_cast<std::uint8_t>(value >> 8)};
  WriteAt(image, data, 2);
}

void WriteLong(RomImage& image, std::uint32_t value) {
  const std::uint8_t data[3] = {static_cast<std::uint8_t>(value & 0xFF),
                                static_cast<std::uint8_t>((value >> 8) & 0xFF),
                                static_cast<std::uint8_t>((value >> 16) & 0xFF)};
  WriteAt(image, data, 3);
}

void WriteBytes(RomImage& image, const ByteList& data) {
  WriteBytes(image, data.data(), data.size());
}

void WriteBytes(RomImage& image, const std::uint8_t* data, std::size_t count) {
  if (count > 0) {
    WriteAt(image, data, count);
  }
}

void WriteText(RomImage& image, const std::string& text) {
  WriteAt(image, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

namespace {

// Runs `access` with the position at `offset`, then puts the position back.
template <typename Access>
auto AtOffset(RomImage& image, std::int64_t offset, Access access) {
  const std::int64_t position = image.position;
  image.position = offset;
  const auto result = access();
  image.position = position;
  return result;
}

}  // namespace

std::uint8_t ReadByteAt(RomImage& image, std::int64_t offset) {
  return AtOffset(image, offset, [&] { return ReadByte(image); });
}

std::uint16_t ReadWordAt(RomImage& image, std::int64_t offset) {
  return AtOffset(image, offset, [&] { return ReadWord(image); });
}

std::uint32_t ReadLongAt(RomImage& image, std::int64_t offset) {
  return AtOffset(image, offset, [&] { return ReadLong(image); });
}

std::uint8_t ReadByteAt(RomImage& image, std::int64_t offset, const char* what) {
  SetReading(image, what);
  return ReadByteAt(image, offset);
}

std::uint16_t ReadWordAt(RomImage& image, std::int64_t offset, const char* what) {
  SetReading(image, what);
  return ReadWordAt(image, offset);
}

std::uint32_t ReadLongAt(RomImage& image, std::int64_t offset, const char* what) {
  SetReading(image, what);
  return ReadLongAt(image, offset);
}

void WriteByteAt(RomImage& image, std::int64_t offset, std::uint8_t value) {
  AtOffset(image, offset, [&] { return (WriteByte(image, value), true); });
}

void WriteWordAt(RomImage& image, std::int64_t offset, std::uint16_t value) {
  AtOffset(image, offset, [&] { return (WriteWord(image, value), true); });
}

void WriteLongAt(RomImage& image, std::int64_t offset, std::uint32_t value) {
  AtOffset(image, offset, [&] { return (WriteLong(image, value), true); });
}

// The name's storage is reused: most names fit in what an earlier one left.
void SetReading(RomImage& image, const char* what) {
  image.reading.text.assign(what);
  image.reading.numbered = nullptr;
}

void SetReading(RomImage& image, const std::string& what) {
  image.reading.text.assign(what);
  image.reading.numbered = nullptr;
}

void SetReading(RomImage& image, const char* what, std::int64_t number) {
  image.reading.numbered = what;
  image.reading.number = number;
}

std::string DescribeReading(const RomImage& image) {
  if (image.reading.numbered != nullptr) {
    return Format("%s %lld", image.reading.numbered, static_cast<long long>(image.reading.number));
  }
  return image.reading.text;
}
