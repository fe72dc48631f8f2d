#include "app/input_files.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "app/job/output_layout.h"
#include "packs/pack_reader.h"
#include "rom/failure.h"
#include "rom/file_names.h"
#include "rom/format.h"
#include "rom/rom_file.h"

namespace {

struct NamedFile {
  std::string role;
  std::string name;
};

void RefuseIfSame(const NamedFile& written, const NamedFile& used) {
  if (IsSameFile(written.name, used.name)) {
    StopRun(Format("Refusing to write %s (the %s): it is the same file as the %s %s.\n",
                   written.name.c_str(), written.role.c_str(), used.role.c_str(),
                   used.name.c_str()));
  }
}

}  // namespace

InputFile LoadInputFile(const std::string& name) {
  InputFile file;
  file.name = name;
  std::optional<std::uintmax_t> size = RegularFileSize(name);
  if (size && *size > MAX_INPUT_FILE_SIZE) {
    std::FILE* probe = OpenFile(name, "rb");
    file.canOpen = probe != nullptr;
    file.tooLarge = file.canOpen;
    if (probe != nullptr) {
      std::fclose(probe);
    }
    return file;
  }
  // A pipe or a device has no size to look at first: what it gives is read
  // with a bound, and a read that reaches it is a file too large. The
  // storage has room for an output, which a run builds in the destination's.
  std::optional<ByteList> bytes = ReadWholeFile(name, EXPANDED_ROM_SIZE);
  file.canOpen = bytes.has_value();
  file.tooLarge = bytes && bytes->size() > MAX_INPUT_FILE_SIZE;
  if (bytes && !file.tooLarge && IsRoomPack(*bytes)) {
    file.pack = std::move(*bytes);
  } else if (bytes && !file.tooLarge) {
    file.rom = PrepareInputRom(name, std::move(*bytes));
  }
  return file;
}

void RefuseTooLarge(const InputFile& file) {
  if (file.tooLarge) {
    StopRun(Format("%s: the file is larger than 16 MiB, too large to be a ROM of the game.\n",
                   file.name.c_str()));
  }
}

void CheckFilesDoNotCollide(const InputFile& source, const InputFile* destination,
                            const std::string& outputName) {
  std::vector<NamedFile> inputs = {{source.pack ? "source pack" : "source ROM", source.name}};
  if (destination != nullptr) {
    inputs.push_back({"destination ROM", destination->name});
  }
  const NamedFile output = {"output ROM", outputName};
  std::vector<NamedFile> copies;
  if (source.rom && source.rom->hasCopierHeader) {
    copies.push_back({"headerless copy of the source ROM", source.rom->copyName});
  }
  if (destination != nullptr && destination->rom && destination->rom->hasCopierHeader) {
    copies.push_back({"headerless copy of the destination ROM", destination->rom->copyName});
  }

  for (const NamedFile& input : inputs) {
    RefuseIfSame(output, input);
  }
  for (const NamedFile& copy : copies) {
    RefuseIfSame(output, copy);
  }
  for (const NamedFile& copy : copies) {
    for (const NamedFile& input : inputs) {
      RefuseIfSame(copy, input);
    }
  }
  // Two different ROMs whose copies would land on one file: the second copy
  // would replace the first.
  if (copies.size() == 2 && !IsSameFile(source.name, destination->name)) {
    RefuseIfSame(copies[1], copies[0]);
  }
}
