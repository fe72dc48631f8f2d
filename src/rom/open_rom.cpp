#include "rom/open_rom.h"

#include <algorithm>

#include "rom/failure.h"
#include "rom/rom_file.h"

namespace {

bool StartsWithSignature(const ByteList& bytes) {
  return bytes.size() >= HEADERLESS_SIGNATURE.size() &&
         std::equal(HEADERLESS_SIGNATURE.begin(), HEADERLESS_SIGNATURE.end(), bytes.begin());
}

}  // namespace

InputRom PrepareInputRom(const std::string& name, const ByteList& fileBytes) {
  InputRom rom;
  rom.hasCopierHeader = !StartsWithSignature(fileBytes);
  rom.copyName = "_NoHeader_" + name;
  if (!rom.hasCopierHeader) {
    rom.image.name = name;
    rom.image.bytes = fileBytes;
    return rom;
  }
  rom.image.name = rom.copyName;
  if (fileBytes.size() > COPIER_HEADER_SIZE) {
    rom.image.bytes.assign(fileBytes.begin() + COPIER_HEADER_SIZE, fileBytes.end());
  }
  return rom;
}

void WriteHeaderlessCopy(const InputRom& rom) {
  if (!rom.hasCopierHeader) {
    return;
  }
  std::optional<PendingFile> copy = CreatePendingFile(rom.copyName);
  if (!copy) {
    StopRun(Format("Could not open temporary ROM file %s\n", rom.copyName.c_str()));
  }
  CommitFile(*copy, rom.image.bytes);
}

void CopyFileContents(RomImage& destination, const RomImage& source) {
  // Copies from the source's first byte until the destination's position
  // reaches the source's length: the whole source on an empty destination.
  const std::int64_t count = ImageSize(source) - Tell(destination);
  if (count > 0) {
    WriteBytes(destination, ByteList(source.bytes.begin(), source.bytes.begin() + count));
  }
}

void ExpandFile(RomImage& image, std::int64_t size) {
  if (ImageSize(image) < size) {
    image.bytes.resize(static_cast<std::size_t>(size), 0x00);
  }
  SeekToEnd(image);
}
