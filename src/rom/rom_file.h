// The one place that touches the file system. Input ROMs are read whole into
// memory; every file the run writes is first written under a temporary name
// in its own directory and renamed onto its name only when complete, so a
// failed run never leaves a half-written file under a name the user knows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "rom/open_rom.h"
#include "rom/rom_image.h"

// Files larger than this are not ROM images of the game.
constexpr std::uintmax_t MAX_INPUT_FILE_SIZE = 0x1000000;

// The whole file, or nothing when it cannot be opened or read as a file
// (a directory, say). Any file, a pipe or a device too, is read up to
// MAX_INPUT_FILE_SIZE + 1 bytes only: a result longer than MAX_INPUT_FILE_SIZE
// is a file too large, of which the rest was not read. The list's storage
// has room for at least `capacity` bytes and holds 0x00 past the file's
// bytes, so that an image can grow into it in place (AdoptBytes).
std::optional<ByteList> ReadWholeFile(const std::string& name, std::size_t capacity = 0);

// The size of an existing regular file, or nothing.
std::optional<std::uintmax_t> RegularFileSize(const std::string& name);

// What a name stands for on disk (through any links): nothing, a regular
// file, a directory, or something else (a device, a pipe, a socket).
enum class FileKind { Missing, Regular, Directory, Other };
FileKind KindOfFile(const std::string& name);

// True when both names reach the same file: by device and inode where the
// files exist, otherwise by their resolved paths.
bool IsSameFile(const std::string& first, const std::string& second);

// Whether a file other than a directory stands under `name` (a link is
// followed) that does not start with the bytes of `signature`, or cannot be
// read to tell, or is no regular file: one that a file of the signature's
// kind must not replace.
bool HoldsFileOfAnotherKind(const std::string& name, std::span<const std::uint8_t> signature);

// A file being written: created at once under a temporary name, renamed onto
// `name` by CommitFile.
struct PendingFile {
  std::string name;
  std::string temporaryName;
  std::FILE* stream = nullptr;
};

// Creates the temporary file next to `name`; nothing when that fails or when
// `name` is a directory.
std::optional<PendingFile> CreatePendingFile(const std::string& name);

// Writes the image's bytes (runs of 0x00 may be left as holes of a sparse
// file), closes and renames onto the file's name. A failed write, flush,
// close or rename removes the temporary file and stops the run.
void CommitFile(PendingFile& file, const RomImage& image);

// Closes and removes the temporary file, if any.
void AbandonFile(PendingFile& file);

// A pending file while it is written: abandoned when the guard goes before
// the file is committed, whatever stops the run.
struct PendingFileGuard {
  std::optional<PendingFile> pending;

  PendingFileGuard() = default;
  PendingFileGuard(const PendingFileGuard&) = delete;
  PendingFileGuard& operator=(const PendingFileGuard&) = delete;
  ~PendingFileGuard() {
    if (pending) {
      AbandonFile(*pending);
    }
  }
};

// Test seam: a write that reaches past this many bytes into the file fails
// part-way, as on a full disk. Negative (the default) means no limit.
void SetWriteLimitForTesting(std::int64_t bytes);

// Writes the headerless copy of a headered ROM (as CommitFile does, under a
// temporary name first); stops the run when it cannot.
void WriteHeaderlessCopy(const InputRom& rom);
