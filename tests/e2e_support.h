// A directory to run the tool in, with the ROMs of one test.
#pragma once

#include <cstdio>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/job/all_rooms.h"
#include "fixture/rom_fixture.h"
#include "fixture/run_tool.h"
#include "rom/open_rom.h"

namespace e2e {

// The whole file in one read (a byte-wise stream read takes seconds for a
// 3 MiB ROM under the sanitizers). Throws std::runtime_error on failure.
struct Workspace {
  fixture::TempDir directory;

  // `name` is UTF-8 with '/' between its parts, on Windows too.
  std::filesystem::path Path(const std::string& name) const {
    return directory.path / fixture::Utf8Path(name);
  }
  void Put(const std::string& name, const fixture::ByteList& bytes) const {
    std::filesystem::create_directories(Path(name).parent_path());
    fixture::WriteFile(Path(name), bytes);
  }
  fixture::ByteList Get(const std::string& name) const { return fixture::ReadFile(Path(name)); }
  bool Has(const std::string& name) const { return std::filesystem::exists(Path(name)); }
  fixture::RunResult Run(const std::vector<std::string>& arguments) const {
    return fixture::RunRoomxfer(arguments, directory.path);
  }
  // Every file and directory name below the workspace, relative to it, in
  // the form Path takes.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory.path)) {
      names.insert(fixture::Utf8Name(std::filesystem::relative(entry.path(), directory.path)));
    }
    return names;
  }
};

// `link` made a second name of the file `target` (both in the workspace): a
// symbolic link holding `target` as it is written; on Windows a hard link,
// since symbolic links there need an administrator (and Wine has none). For
// the tool both are the same file reached by another name.
inline void Link(const Workspace& workspace, const std::string& target, const std::string& link) {
#ifdef _WIN32
  std::filesystem::create_hard_link(workspace.Path(target), workspace.Path(link));
#else
  std::filesystem::create_symlink(target, workspace.Path(link));
#endif
}

// The rooms of a ROM file as the tool's own readers see them (a copier header
// is dropped first); nothing is printed.
inline RoomSet ReadRooms(const fixture::ByteList& file, const std::string& name = "readback.sfc") {
  InputRom rom = PrepareInputRom(name, file);
  RoomSet rooms;
  ReadAllRooms(rom.image, rooms);
  return rooms;
}

}  // namespace e2e
