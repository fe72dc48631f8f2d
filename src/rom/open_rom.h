// Input ROMs and the output image. A ROM of the game starts with the
// signature below; a file that does not is taken to carry a 512-byte copier
// header in front, which is dropped, and its headerless image is left on disk
// as "_NoHeader_" + its name.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "rom/rom_image.h"

// SEI; STZ $4200; the opcode of a further STZ.
constexpr std::array<std::uint8_t, 5> HEADERLESS_SIGNATURE = {0x78, 0x9C, 0x00, 0x42, 0x9C};
constexpr std::size_t COPIER_HEADER_SIZE = 0x200;

struct InputRom {
  RomImage image;  // headerless; named after the file it stands for on disk
  bool hasCopierHeader = false;
  std::string copyName;  // "_NoHeader_" + name, where the headerless copy goes
};

// Splits a file's bytes into its headerless image (nothing written yet). The
// bytes are taken over, not copied, when the caller hands them over.
InputRom PrepareInputRom(const std::string& name, ByteList fileBytes);

// Despite the names of these two, no file is touched: both work on images in
// memory, and only CommitFile (rom_file.h) writes a file.

// Writes `source`'s bytes into `destination` from its current position on,
// so that the destination's position ends at the source's length.
void CopyFileContents(RomImage& destination, const RomImage& source);

// Pads the image with 0x00 to at least `size` bytes; never shortens. Leaves
// the position at the end.
void ExpandFile(RomImage& image, std::int64_t size);
