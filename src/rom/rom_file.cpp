#include "rom/rom_file.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>

#include "rom/failure.h"
#include "rom/file_names.h"
#include "rom/format.h"

namespace fs = std::filesystem;

namespace {

std::int64_t writeLimitForTesting = -1;

// One byte more than any ROM of the game may have: enough to tell a file that is too large.
constexpr std::size_t READ_LIMIT = MAX_INPUT_FILE_SIZE + 1;

std::string TemporaryNameFor(const std::string& name) {
  static std::mt19937_64 generator{std::random_device{}()};
  return Format("%s.roomxfer-%08llX", name.c_str(),
                static_cast<unsigned long long>(generator() & 0xFFFFFFFFu));
}

// Where the test seam says the disk fills up: a write that would reach past
// this offset stops there. Unlimited without the seam.
std::int64_t DiskEnd() { return writeLimitForTesting >= 0 ? writeLimitForTesting : INT64_MAX; }

// Writes `count` bytes at the stream's position `offset`, or fewer when the
// test seam says the disk is full.
bool WriteRun(std::FILE* stream, const std::uint8_t* data, std::size_t count, std::int64_t offset) {
  const std::int64_t room = std::max<std::int64_t>(DiskEnd() - offset, 0);
  const std::size_t fits =
      room < static_cast<std::int64_t>(count) ? static_cast<std::size_t>(room) : count;
  if (fits > 0 && std::fwrite(data, 1, fits, stream) != fits) {
    return false;
  }
  if (fits < count) {
    errno = ENOSPC;
    return false;
  }
  return true;
}

bool IsZeroBlock(const std::uint8_t* data, std::size_t count) {
  return count == 0 || (data[0] == 0x00 && std::memcmp(data, data + 1, count - 1) == 0);
}

// Whether the block of `count` bytes at `offset` holds only 0x00: known
// without reading it where the image says so (checked all the same in a
// build with assertions).
bool IsZeroBlockOf(const RomImage& image, std::size_t offset, std::size_t count) {
  const std::uint8_t* const data = image.bytes.data() + offset;
  const auto start = static_cast<std::int64_t>(offset);
  if (IsKnownZero(image, start, start + static_cast<std::int64_t>(count))) {
    assert(IsZeroBlock(data, count));
    return true;
  }
  return IsZeroBlock(data, count);
}

// Writes all bytes, seeking over whole blocks of 0x00 instead of writing
// them, so that the file system may store them as holes; they read back as
// 0x00 all the same. The blocks are large, so that the data between them go
// to the file in long runs. When the file ends in such a block, its last
// byte is written all the same: that sets the file's full length.
bool WriteAll(std::FILE* stream, const RomImage& image) {
  const ByteList& bytes = image.bytes;
  const std::size_t size = bytes.size();
  constexpr auto BLOCK = static_cast<std::size_t>(ZERO_BLOCK_SIZE);
  std::size_t position = 0;  // the stream's
  const auto writeRun = [&](std::size_t start, std::size_t end) {
    if (start == end) {
      return true;
    }
    if (start != position && std::fseek(stream, static_cast<long>(start - position), SEEK_CUR)) {
      return false;
    }
    position = end;
    return WriteRun(stream, bytes.data() + start, end - start, static_cast<std::int64_t>(start));
  };
  std::size_t runStart = 0;
  for (std::size_t offset = 0; offset < size; offset += BLOCK) {
    const std::size_t count = std::min(BLOCK, size - offset);
    if (IsZeroBlockOf(image, offset, count)) {
      if (!writeRun(runStart, offset)) {
        return false;
      }
      runStart = offset + count;
    }
  }
  if (runStart == size && size > 0) {
    runStart = size - 1;
  }
  return writeRun(runStart, size);
}

// The file's size when the file system knows it (a regular file), else 0.
std::size_t ExpectedSize(const std::string& name) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(FilePath(name), error);
  return error ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, READ_LIMIT));
}

// Reads the stream to its end, but never more than READ_LIMIT bytes: a pipe
// or a device may never end. A file of the size expected is read in one
// piece into a buffer of that size (plus the byte that would tell a file
// grown since), or of `capacity` when larger; others in growing pieces.
bool ReadAtMost(std::FILE* stream, std::size_t expected, std::size_t capacity, ByteList& bytes) {
  std::setvbuf(stream, nullptr, _IONBF, 0);  // reads go straight into `bytes`
  std::size_t piece = expected > 0 ? std::min(expected + 1, READ_LIMIT) : 65536;
  // Fresh storage is all 0x00, and a read writes only the bytes it gives.
  bytes.reserve(std::max(piece, capacity));
  std::size_t got = 0;
  while (got < READ_LIMIT) {
    bytes.resize(got + piece);
    const std::size_t count = std::fread(bytes.data() + got, 1, piece, stream);
    got += count;
    if (count < piece) {
      break;
    }
    piece = std::min(got, READ_LIMIT - got);
  }
  bytes.resize(got);
  return std::ferror(stream) == 0;
}

[[noreturn]] void StopWriting(PendingFile& file, int error) {
  AbandonFile(file);
  StopRun(Format("Could not write %s: %s.\n", file.name.c_str(), std::strerror(error)));
}

}  // namespace

std::optional<ByteList> ReadWholeFile(const std::string& name, std::size_t capacity) {
  std::error_code error;
  if (fs::is_directory(FilePath(name), error)) {
    return std::nullopt;
  }
  std::FILE* stream = OpenFile(name, "rb");
  if (stream == nullptr) {
    return std::nullopt;
  }
  ByteList bytes;
  const bool read = ReadAtMost(stream, ExpectedSize(name), capacity, bytes);
  std::fclose(stream);
  if (!read) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::uintmax_t> RegularFileSize(const std::string& name) {
  std::error_code error;
  if (!fs::is_regular_file(FilePath(name), error)) {
    return std::nullopt;
  }
  const std::uintmax_t size = fs::file_size(FilePath(name), error);
  if (error) {
    return std::nullopt;
  }
  return size;
}

FileKind KindOfFile(const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::status(FilePath(name), error);
  if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::none) {
    return FileKind::Missing;
  }
  if (fs::is_regular_file(status)) {
    return FileKind::Regular;
  }
  return fs::is_directory(status) ? FileKind::Directory : FileKind::Other;
}

bool IsSameFile(const std::string& first, const std::string& second) {
  std::error_code error;
  const fs::path firstName = FilePath(first);
  const fs::path secondName = FilePath(second);
  if (fs::exists(firstName, error) && fs::exists(secondName, error)) {
    return fs::equivalent(firstName, secondName, error);
  }
  const fs::path firstPath = fs::weakly_canonical(fs::absolute(firstName, error), error);
  const fs::path secondPath = fs::weakly_canonical(fs::absolute(secondName, error), error);
  return firstPath == secondPath;
}

bool HoldsFileOfAnotherKind(const std::string& name, std::span<const std::uint8_t> signature) {
  std::error_code error;
  const fs::file_status status = fs::status(FilePath(name), error);
  if (!fs::exists(status) || fs::is_directory(status)) {
    return false;
  }
  std::FILE* stream = fs::is_regular_file(status) ? OpenFile(name, "rb") : nullptr;
  if (stream == nullptr) {
    return true;
  }
  ByteList start(signature.size());
  const std::size_t got = std::fread(start.data(), 1, start.size(), stream);
  std::fclose(stream);
  return got != signature.size() || !std::equal(start.begin(), start.end(), signature.begin());
}

std::optional<PendingFile> CreatePendingFile(const std::string& name) {
  std::error_code error;
  if (name.empty() || fs::is_directory(FilePath(name), error)) {
    return std::nullopt;
  }
  for (int attempt = 0; attempt < 16; ++attempt) {
    PendingFile file{name, TemporaryNameFor(name), nullptr};
    file.stream = CreateNewFile(file.temporaryName);
    if (file.stream != nullptr) {
      return file;
    }
    if (errno != EEXIST) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

void CommitFile(PendingFile& file, const RomImage& image) {
  if (!WriteAll(file.stream, image) || std::fflush(file.stream) != 0) {
    StopWriting(file, errno);
  }
  const int closed = std::fclose(file.stream);
  file.stream = nullptr;
  if (closed != 0) {
    StopWriting(file, errno);
  }
  std::error_code error;
  RenameOntoFile(file.temporaryName, file.name, error);
  if (error) {
    StopWriting(file, error.value());
  }
  file.temporaryName.clear();
}

void AbandonFile(PendingFile& file) {
  if (file.stream != nullptr) {
    std::fclose(file.stream);
    file.stream = nullptr;
  }
  if (!file.temporaryName.empty()) {
    std::error_code error;
    fs::remove(FilePath(file.temporaryName), error);
    file.temporaryName.clear();
  }
}

void SetWriteLimitForTesting(std::int64_t bytes) { writeLimitForTesting = bytes; }

void WriteHeaderlessCopy(const InputRom& rom) {
  if (!rom.hasCopierHeader) {
    return;
  }
  std::optional<PendingFile> copy = CreatePendingFile(rom.copyName);
  if (!copy) {
    StopRun(Format("Could not open temporary ROM file %s\n", rom.copyName.c_str()));
  }
  CommitFile(*copy, rom.image);
}
