#include "transfer_job_input.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/job/read_back.h"
#include "app/job/transfer_job.h"
#include "app/room_lists.h"
#include "fixture/rom_fixture.h"
#include "rom/format.h"
#include "rom/open_rom.h"
#include "tables/game_code.h"

namespace fuzzing {
namespace {

using fixture::ByteList;

constexpr std::size_t BASE_SIZE = 0x90000;
constexpr std::size_t MAX_IMAGE_SIZE = 0x400000;
constexpr std::size_t MAX_ROOM_LIST = 96;

// The offsets a patch is placed from: the game's code fields, where the
// fixture keeps its tables and lists, the relocated area of a tool-written
// image. The last anchor is the end of the image being patched.
std::vector<std::int64_t> Anchors() {
  std::vector<std::int64_t> anchors = {
      0,
      0x4C296,
      0x4C372,
      0xB6C5,
      0xB7F7,
      fixture::HEADER_TABLE,
      fixture::HEADER_TABLE + 2 * fixture::HEADER_TABLE_SHORT_ENTRIES,
      fixture::LAYER_TABLE,
      fixture::DOOR_TABLE,
      fixture::MESSAGE_TABLE,
      fixture::SPRITE_TABLE,
      fixture::SPRITE_LISTS,
      fixture::LOADER,
      fixture::ITEM_TABLE,
      fixture::ITEM_TABLE + 2 * ROOM_COUNT,
      fixture::LOADER_SPRITE_TABLE,
      fixture::PIT_LIST,
      fixture::CHEST_TABLE,
      fixture::TORCH_TABLE,
      fixture::BLOCK_TABLE,
      fixture::LAYER_DATA,
      0x1F8000,
      0x1F8050,
      0x200000,
      0x2F8000,
      0x3F0000,
  };
  for (const OpcodeCheck& check : GAME_CODE_CHECKS) {
    anchors.push_back(check.offset);
  }
  return anchors;
}

struct Bases {
  std::array<ByteList, 4> images;
  std::vector<std::int64_t> anchors = Anchors();
};

ByteList ToolWrittenImage(const ByteList& source, const ByteList& destination) {
  RomImage sourceImage;
  sourceImage.name = "base-a.sfc";
  sourceImage.bytes = source;
  sourceImage.console = nullptr;
  RomImage destinationImage;
  destinationImage.name = "base-b.sfc";
  destinationImage.bytes = destination;
  destinationImage.console = nullptr;
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  return RunTransferJob(sourceImage, destinationImage, sourceRooms, destinationRooms, "_b.sfc")
      .out.bytes;
}

// Built once: the game's own form, the loader form with the short header
// table, a ROM without door table and death-mask code, and a tool-written one.
const Bases& BaseImages() {
  static const Bases bases = [] {
    Bases built;
    fixture::RomOptions plain;
    plain.size = BASE_SIZE;
    built.images[0] = fixture::BuildRom(fixture::RandomRooms(1), plain);
    fixture::RomOptions loader = plain;
    loader.spriteLoaderForm = true;
    loader.headerTable296 = true;
    loader.deathMaskCode = false;
    built.images[1] = fixture::BuildRom(fixture::RandomRooms(2), loader);
    fixture::RomOptions bare = plain;
    bare.doorTable = false;
    bare.deathMaskCode = false;
    built.images[2] = fixture::BuildRom(fixture::SimpleRooms(), bare);
    built.images[3] = ToolWrittenImage(built.images[0], built.images[1]);
    return built;
  }();
  return bases;
}

// Reads the fuzz input front to back; past its end every byte reads as 0.
struct InputReader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t next = 0;

  bool AtEnd() const { return next >= size; }
  std::uint8_t Byte() { return next < size ? data[next++] : 0; }
  std::int16_t Distance() {
    const auto low = static_cast<std::uint16_t>(Byte());
    const auto high = static_cast<std::uint16_t>(Byte());
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
  }
};

std::int64_t Place(InputReader& input, const ByteList& image, const Bases& bases) {
  const std::size_t anchor = input.Byte() % (bases.anchors.size() + 1);
  const std::int64_t base = anchor < bases.anchors.size() ? bases.anchors[anchor]
                                                          : static_cast<std::int64_t>(image.size());
  return base + input.Distance();
}

// An image being patched, kept from one input to the next: the next input
// starts from its base again by copying back only the bytes this one wrote,
// so that an input does not pay for copying whole images. Copies are made
// with memcpy: under AddressSanitizer, the memmove of std::copy is a byte loop.
struct WorkImage {
  ByteList bytes;
  std::size_t base = 0;
  bool reshaped = true;  // cut, extended or stripped: copied whole next time
  std::vector<std::pair<std::int64_t, std::int64_t>> written;  // [from, to) since the copy
};

void CopyInto(ByteList& buffer, std::size_t at, const ByteList& bytes) {
  buffer.resize(at + bytes.size());
  std::memcpy(buffer.data() + at, bytes.data(), bytes.size());
}

void StartFrom(WorkImage& image, const Bases& bases, std::size_t base) {
  const ByteList& original = bases.images.at(base);
  if (image.reshaped || image.base != base || image.bytes.size() != original.size()) {
    CopyInto(image.bytes, 0, original);
  } else {
    for (const auto& [from, to] : image.written) {
      std::memcpy(image.bytes.data() + from, original.data() + from,
                  static_cast<std::size_t>(to - from));
    }
  }
  image.base = base;
  image.reshaped = false;
  image.written.clear();
}

// Fills [from, to), cut to the image, with `value`.
void Fill(WorkImage& image, std::int64_t from, std::int64_t to, std::uint8_t value) {
  const auto size = static_cast<std::int64_t>(image.bytes.size());
  from = std::clamp<std::int64_t>(from, 0, size);
  to = std::clamp<std::int64_t>(to, from, size);
  if (from < to) {
    std::memset(image.bytes.data() + from, value, static_cast<std::size_t>(to - from));
    image.written.emplace_back(from, to);
  }
}

void PutValue(WorkImage& image, std::int64_t offset, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    Fill(image, offset + i, offset + i + 1, static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
  }
}

std::uint32_t SnesAddressOf(std::int64_t offset) {
  const auto clamped = static_cast<std::uint32_t>(offset < 0 ? 0 : offset & 0x7FFFFF);
  return ((clamped / 0x8000) << 16) | 0x8000 | (clamped % 0x8000);
}

void Resize(WorkImage& image, std::int64_t size, std::uint8_t fill) {
  if (size >= 0 && static_cast<std::size_t>(size) <= MAX_IMAGE_SIZE) {
    image.bytes.resize(static_cast<std::size_t>(size), fill);
    image.reshaped = true;
  }
}

void ApplyPatch(InputReader& input, WorkImage& source, WorkImage& destination, const Bases& bases) {
  const std::uint8_t operation = input.Byte();
  WorkImage& image = (operation & 1) != 0 ? destination : source;
  const std::int64_t at = Place(input, image.bytes, bases);
  switch ((operation >> 1) & 7) {
    case 0:
    case 1: {
      const std::uint8_t count = input.Byte();
      for (std::uint8_t i = 0; i < count && !input.AtEnd(); ++i) {
        Fill(image, at + i, at + i + 1, input.Byte());
      }
      break;
    }
    case 2:
    case 7: {
      const std::int64_t count = input.Byte() * (((operation >> 1) & 7) == 7 ? 256 : 1);
      Fill(image, at, at + count, input.Byte());
      break;
    }
    case 3:
      PutValue(image, at, SnesAddressOf(Place(input, image.bytes, bases)), 3);
      break;
    case 4:
      PutValue(image, at, SnesAddressOf(Place(input, image.bytes, bases)) & 0xFFFF, 2);
      break;
    case 5:
      if (at < static_cast<std::int64_t>(image.bytes.size())) {
        Resize(image, at, 0);
      }
      break;
    default:
      if (at > static_cast<std::int64_t>(image.bytes.size())) {
        Resize(image, at, input.Byte());
      }
      break;
  }
}

// Every list of the room sets kept from one input to the next is given
// storage up front: a list that grows then frees what it had, so an input
// that grows one does not look to the fuzzer like a leak.
void GiveListsStorage(RoomSet& rooms) {
  for (RoomData& room : rooms.rooms) {
    room.layerData.reserve(16);
    room.spriteData.reserve(16);
    room.itemData.reserve(16);
    room.pushableBlocks.reserve(4);
    room.torches.reserve(4);
    room.chests.reserve(4);
  }
}

struct WorkBuffers {
  WorkImage source;
  WorkImage destination;
  ByteList sourceWithHeader;
  ByteList destinationWithHeader;
  TransferResult result;
  TransferResult again;  // the run on the output alone
  RoomSet readBack;
};

WorkBuffers& Buffers() {
  static WorkBuffers buffers = [] {
    WorkBuffers built;
    for (ByteList* buffer : {&built.source.bytes, &built.destination.bytes, &built.sourceWithHeader,
                             &built.destinationWithHeader}) {
      buffer->reserve(MAX_IMAGE_SIZE + fixture::COPIER_HEADER_SIZE);
    }
    for (RoomSet* rooms : {&built.result.sourceSet, &built.result.destinationSet,
                           &built.again.sourceSet, &built.again.destinationSet, &built.readBack}) {
      GiveListsStorage(*rooms);
    }
    return built;
  }();
  return buffers;
}

// The image as a file: behind a copier header of 512 zero bytes, or as it is.
ByteList& AsFile(ByteList& image, ByteList& withHeader, bool copierHeader) {
  if (!copierHeader) {
    return image;
  }
  withHeader.assign(fixture::COPIER_HEADER_SIZE, 0x00);
  CopyInto(withHeader, fixture::COPIER_HEADER_SIZE, image);
  return withHeader;
}

std::string DescribeDifference(const RoomDifference& difference) {
  return Format("room %d: %s: %s", difference.room, difference.kind.c_str(),
                difference.detail.c_str());
}

// Empty when `readBack`, the rooms the output reads back as, holds what was
// written but for the differences the format accepts.
std::string CompareWithWritten(const TransferResult& result, const RoomSet& readBack,
                               RomImage& out) {
  for (const RoomDifference& difference : CompareReadBack(result.destinationSet, readBack, out)) {
    if (!difference.expected) {
      return "the output reads back differently: " + DescribeDifference(difference);
    }
  }
  return "";
}

std::string CheckReadBack(TransferResult& result) {
  RoomSet& readBack = Buffers().readBack;
  try {
    ReadBackOutput(result.out, readBack);
  } catch (const std::runtime_error& failure) {
    return std::string("the output does not read back: ") + failure.what();
  }
  return CompareWithWritten(result, readBack, result.out);
}

bool HasSignature(const ByteList& bytes) {
  return bytes.size() >= HEADERLESS_SIGNATURE.size() &&
         std::equal(HEADERLESS_SIGNATURE.begin(), HEADERLESS_SIGNATURE.end(), bytes.begin());
}

// The tool run on the output alone must reproduce it. That run reads the
// output as its source with the tool's own readers, so its source set is
// also what the output reads back as.
std::string CheckRunAgain(TransferResult& result) {
  InputRom again = PrepareInputRom("_b.sfc", std::move(result.out.bytes));
  again.image.console = nullptr;
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  std::string failure;
  std::string runFailure;
  try {
    TransferResult& second = Buffers().again;
    RunTransferJob(again.image, again.image, sourceRooms, destinationRooms, "__b.sfc", second);
    failure = CompareWithWritten(result, second.sourceSet, again.image);
    if (failure.empty() && second.out.bytes != again.image.bytes) {
      failure = "a run on the output alone does not reproduce it";
    }
  } catch (const std::runtime_error& error) {
    runFailure = error.what();
  }
  result.out.bytes = std::move(again.image.bytes);
  if (!runFailure.empty()) {
    failure = CheckReadBack(result);
    if (failure.empty()) {
      failure = "a run on the output alone fails: " + runFailure;
    }
  }
  return failure;
}

// The output must read back as written and, when `runAgain`, be reproduced by
// a run on it alone; without the signature, such a run would drop its first
// 512 bytes as a copier header.
std::string CheckOutput(TransferResult& result, bool runAgain) {
  if (runAgain && HasSignature(result.out.bytes)) {
    return CheckRunAgain(result);
  }
  return CheckReadBack(result);
}

// Runs the job on the prepared files; the buffers get their storage back.
std::string RunAndCheck(ByteList& sourceFile, ByteList& destinationFile, bool oneRom,
                        const RoomList& sourceRooms, const RoomList& destinationRooms,
                        bool runAgain) {
  InputRom sourceRom = PrepareInputRom("a.sfc", std::move(sourceFile));
  InputRom destinationRom =
      PrepareInputRom("b.sfc", oneRom ? ByteList{} : std::move(destinationFile));
  sourceRom.image.console = nullptr;
  destinationRom.image.console = nullptr;
  RomImage& destinationImage = oneRom ? sourceRom.image : destinationRom.image;
  std::string failure;
  try {
    TransferResult& result = Buffers().result;
    RunTransferJob(sourceRom.image, destinationImage, sourceRooms, destinationRooms, "_b.sfc",
                   result);
    failure = CheckOutput(result, runAgain);
  } catch (const std::runtime_error&) {
    // refused with its failure line, as the tool may
  }
  sourceFile = std::move(sourceRom.image.bytes);
  if (!oneRom) {
    destinationFile = std::move(destinationRom.image.bytes);
  }
  // The names of the blocks are freed with the input that made them, or a
  // later input placing more blocks would look to the fuzzer like a leak.
  Buffers().result.out.placedBlocks.clear();
  Buffers().again.out.placedBlocks.clear();
  return failure;
}

}  // namespace

std::uint8_t AnchorOf(std::int64_t offset) {
  const std::vector<std::int64_t>& anchors = BaseImages().anchors;
  const auto found = std::find(anchors.begin(), anchors.end(), offset);
  if (found == anchors.end()) {
    throw std::logic_error("not an anchor");
  }
  return static_cast<std::uint8_t>(found - anchors.begin());
}

std::uint8_t EndOfImageAnchor() { return static_cast<std::uint8_t>(BaseImages().anchors.size()); }

std::string CheckTransferJob(const std::uint8_t* data, std::size_t size) {
  const Bases& bases = BaseImages();
  InputReader input{data, size};
  const std::uint8_t flags = input.Byte();
  const std::size_t listLength = std::min<std::size_t>(input.Byte(), MAX_ROOM_LIST);
  std::string roomList;
  for (std::size_t i = 0; i < listLength && !input.AtEnd(); ++i) {
    roomList.push_back(static_cast<char>(input.Byte()));
  }
  WorkBuffers& buffers = Buffers();
  StartFrom(buffers.source, bases, (flags >> 4) & 3);
  StartFrom(buffers.destination, bases, (flags >> 6) & 3);
  while (!input.AtEnd()) {
    ApplyPatch(input, buffers.source, buffers.destination, bases);
  }

  RoomList sourceRooms;
  RoomList destinationRooms;
  if (listLength == 0) {
    FillIdentityRoomLists(sourceRooms, destinationRooms);
  } else {
    ParseRoomList(roomList, sourceRooms, destinationRooms);
  }
  if (!CheckRoomLists(sourceRooms, destinationRooms)) {
    return "";
  }
  const std::size_t sourceSize = buffers.source.bytes.size();
  const std::size_t destinationSize = buffers.destination.bytes.size();
  const std::string failure = RunAndCheck(
      AsFile(buffers.source.bytes, buffers.sourceWithHeader, (flags & 1) != 0),
      AsFile(buffers.destination.bytes, buffers.destinationWithHeader, (flags & 2) != 0),
      (flags & 4) != 0, sourceRooms, destinationRooms, (flags & 8) != 0);
  // An image without the signature lost its first 512 bytes as a copier header.
  buffers.source.reshaped |= buffers.source.bytes.size() != sourceSize;
  buffers.destination.reshaped |= buffers.destination.bytes.size() != destinationSize;
  return failure;
}

}  // namespace fuzzing
