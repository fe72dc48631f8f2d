#include "rom/rom_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "rom/failure.h"
#include "rom/file_names.h"

namespace fs = std::filesystem;

namespace {

std::int64_t writeLimitForTesting = -1;

std::string TemporaryNameFor(const std::string& name) {
  static std::mt19937_64 generator{std::random_device{}()};
  return Format("%s.roomxfer-%08llX", name.c_str(),
                static_cast<unsigned long long>(generator() & 0xFFFFFFFFu));
}

// Writes all bytes, or fewer when the test seam says the disk is full.
bool WriteAll(std::FILE* stream, const ByteList& bytes) {
  std::size_t count = bytes.size();
  bool cutShort = false;
  if (writeLimitForTesting >= 0 && count > static_cast<std::size_t>(writeLimitForTesting)) {
    count = static_cast<std::size_t>(writeLimitForTesting);
    cutShort = true;
  }
  if (count > 0 && std::fwrite(bytes.data(), 1, count, stream) != count) {
    return false;
  }
  if (cutShort) {
    errno = ENOSPC;
    return false;
  }
  return true;
}

[[noreturn]] void StopWriting(PendingFile& file, int error) {
  AbandonFile(file);
  StopRun(Format("Could not write %s: %s.\n", file.name.c_str(), std::strerror(error)));
}

}  // namespace

std::optional<ByteList> ReadWholeFile(const std::string& name) {
  std::error_code error;
  if (fs::is_directory(FilePath(name), error)) {
    return std::nullopt;
  }
  std::FILE* stream = OpenFile(name, "rb");
  if (stream == nullptr) {
    return std::nullopt;
  }
  ByteList bytes;
  const std::uintmax_t expected = fs::file_size(FilePath(name), error);
  if (!error && expected <= MAX_INPUT_FILE_SIZE) {
    bytes.reserve(static_cast<std::size_t>(expected));  // one buffer, no regrowth
  }
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  if (failed) {
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

void CommitFile(PendingFile& file, const ByteList& bytes) {
  if (!WriteAll(file.stream, bytes) || std::fflush(file.stream) != 0) {
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
