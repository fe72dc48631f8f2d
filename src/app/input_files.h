// The input ROM files as the run finds them on disk, before anything is
// created, and the check that no file the run writes is one it reads.
#pragma once

#include <optional>
#include <string>

#include "rom/open_rom.h"

struct InputFile {
  std::string name;
  bool canOpen = false;
  bool tooLarge = false;
  std::optional<InputRom> rom;   // when it could be read and is not a room pack
  std::optional<ByteList> pack;  // the file's text, when it is a room pack
};

// Reads the file when it can be opened and is not too large to be the game;
// a room pack is told by its first line that is not blank or a comment.
InputFile LoadInputFile(const std::string& name);

// Stops the run when the file is too large to be read.
void RefuseTooLarge(const InputFile& file);

// Stops the run when the output or a headerless copy would be written over
// an input ROM, or over another file this run writes.
void CheckFilesDoNotCollide(const InputFile& source, const InputFile* destination,
                            const std::string& outputName);
