#include "rom/open_rom.h"

#include <algorithm>

#include "rom/file_names.h"

namespace {

bool StartsWithSignature(const ByteList& bytes) {
  return bytes.size() >= HEADERLESS_SIGNATURE.size() &&
         std::equal(HEADERLESS_SIGNATURE.begin(), HEADERLESS_SIGNATURE.end(), bytes.begin());
}

}  // namespace

InputRom PrepareInputRom(const std::string& name, ByteList fileBytes) {
  InputRom rom;
  rom.hasCopierHeader = !StartsWithSignature(fileBytes);
  rom.copyName = PrefixedName("_NoHeader_", name);
  rom.image.name = rom.hasCopierHeader ? rom.copyName : name;
  if (rom.hasCopierHeader && !fileBytes.empty()) {
    // Moved down in place; the bytes left behind the image are set to 0x00,
    // so that its storage still holds 0x00 past its end (see ReadWholeFile).
    const auto header = static_cast<std::ptrdiff_t>(std::min(fileBytes.size(), COPIER_HEADER_SIZE));
    std::copy(fileBytes.begin() + header, fileBytes.end(), fileBytes.begin());
    std::fill(fileBytes.end() - header, fileBytes.end(), std::uint8_t{0x00});
    fileBytes.resize(fileBytes.size() - static_cast<std::size_t>(header));
  }
  rom.image.bytes = std::move(fileBytes);
  return rom;
}

void CopyFileContents(RomImage& destination, const RomImage& source) {
  // Copies from the source's first byte until the destination's position
  // reaches the source's length: the whole source on an empty destination.
  const std::int64_t count = ImageSize(source) - Tell(destination);
  if (count > 0) {
    WriteBytes(destination, source.bytes.data(), static_cast<std::size_t>(count));
  }
}

// An output that StartOutput made at its full size has nothing to add here.
void ExpandFile(RomImage& image, std::int64_t size) {
  if (ImageSize(image) < size) {
    image.bytes.resize(static_cast<std::size_t>(size), 0x00);
  }
  SeekToEnd(image);
}
