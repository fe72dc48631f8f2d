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
#include "fixture/editor_view.h"
#include "fixture/rom_fixture.h"
#include "rom/format.h"
#include "rom/open_rom.h"
#include "tables/game_code.h"
#include "tables/torches.h"

namespace fuzzing {
namespace {

using fixture::ByteList;

constexpr std::size_t BASE_SIZE = 0x90000;
constexpr std::size_t MAX_IMAGE_SIZE = 0x400000;
constexpr std::size_t MAX_ROOM_LIST = 96;
// Where --editable starts the relocated area unless --base is given, and the
// range --base accepts: banks 0x20 to 0x7F.
constexpr std::int64_t DEFAULT_EDITABLE_BASE = 0x200000;
constexpr std::int64_t LOWEST_BASE = 0x100000;
constexpr std::int64_t BANK_SIZE = 0x8000;
constexpr std::uint8_t FIRST_BASE_CHOICE = 0xA0;

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

// The editable layout's anchors: the classic ones, then the places that only
// it uses, so that the classic anchor bytes keep their meaning.
std::vector<std::int64_t> EditableAnchors() {
  std::vector<std::int64_t> anchors = Anchors();
  const std::vector<std::int64_t> more = {
      fixture::GAME_TORCH_TABLE,
      fixture::GAME_TORCH_TABLE + fixture::GAME_TORCH_SPACE,
      fixture::SPRITE_TABLE + 2 * ROOM_COUNT,
      fixture::SPRITE_CODE_AREA,
      fixture::EDITOR_DATA_AREAS[0][0],
      fixture::EDITOR_DATA_AREAS[0][1],
      fixture::EDITOR_DATA_AREAS[1][0],
      DEFAULT_EDITABLE_BASE + static_cast<std::int64_t>(sizeof(MARKER_TEXT)) - 1,
      0x208000,
  };
  anchors.insert(anchors.end(), more.begin(), more.end());
  return anchors;
}

struct Bases {
  std::array<ByteList, 4> images;
  std::vector<std::int64_t> anchors;
};

ByteList ToolWrittenImage(const ByteList& source, const ByteList& destination,
                          const RoomList& sourceRooms, const RoomList& destinationRooms,
                          const OutputLayout& layout = OutputLayout{}) {
  RomImage sourceImage;
  sourceImage.name = "base-a.sfc";
  sourceImage.bytes = source;
  RomImage destinationImage;
  destinationImage.name = "base-b.sfc";
  destinationImage.bytes = destination;
  return RunTransferJob(sourceImage, destinationImage, sourceRooms, destinationRooms, "_b.sfc",
                        layout)
      .out.bytes;
}

ByteList ToolWrittenImage(const ByteList& source, const ByteList& destination) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  return ToolWrittenImage(source, destination, sourceRooms, destinationRooms);
}

// Built once: the game's own form, the loader form with the short header
// table, a ROM without door table and death-mask code, and a tool-written one.
const Bases& ClassicBases() {
  static const Bases bases = [] {
    Bases built;
    built.anchors = Anchors();
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

OutputLayout EditableLayout(std::int64_t base) {
  OutputLayout layout;
  layout.kind = LayoutKind::Editable;
  layout.base = base;
  return layout;
}

// Built once, as dungeon editors leave ROMs: a 2 MiB one with the editors'
// data, a small one with the short header table and no death-mask code, a
// ROM in the loader form without door table (a source; refused as
// destination), and the first after an editable run that swapped its rooms
// in pairs.
const Bases& EditableBases() {
  static const Bases bases = [] {
    Bases built;
    built.anchors = EditableAnchors();
    fixture::RandomOptions editorRooms;
    editorRooms.torchSpace = fixture::GAME_TORCH_SPACE;
    built.images[0] = fixture::BuildEditorRom(fixture::RandomRooms(1, editorRooms));
    fixture::RomOptions small;
    small.size = BASE_SIZE;
    small.editorLayout = true;
    small.headerTable296 = true;
    small.deathMaskCode = false;
    built.images[1] = fixture::BuildRom(fixture::RandomRooms(2, editorRooms), small);
    fixture::RomOptions loader;
    loader.size = BASE_SIZE;
    loader.spriteLoaderForm = true;
    loader.doorTable = false;
    loader.deathMaskCode = false;
    built.images[2] = fixture::BuildRom(fixture::SimpleRooms(), loader);
    // Rooms swapped in pairs: the same lists in another order, so they fit.
    RoomList from;
    RoomList onto;
    for (int room = 0; room + 1 < ROOM_COUNT; room += 2) {
      from.insert(from.end(), {room, room + 1});
      onto.insert(onto.end(), {room + 1, room});
    }
    built.images[3] = ToolWrittenImage(built.images[0], built.images[0], from, onto,
                                       EditableLayout(DEFAULT_EDITABLE_BASE));
    return built;
  }();
  return bases;
}

const Bases& BasesFor(LayoutKind kind) {
  return kind == LayoutKind::Editable ? EditableBases() : ClassicBases();
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
  const Bases* bases = nullptr;
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
  if (image.reshaped || image.bases != &bases || image.base != base ||
      image.bytes.size() != original.size()) {
    CopyInto(image.bytes, 0, original);
  } else {
    for (const auto& [from, to] : image.written) {
      std::memcpy(image.bytes.data() + from, original.data() + from,
                  static_cast<std::size_t>(to - from));
    }
  }
  image.bases = &bases;
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
// Each list is reserved while it is plainly empty, then replaces the set's
// own: reserving a list GCC cannot see is empty makes it warn of overflows in
// moving its elements into the new storage.
template <class List>
List EmptyListWithStorage(std::size_t count) {
  List list;
  list.reserve(count);
  return list;
}

void GiveListsStorage(RoomSet& rooms) {
  for (RoomData& room : rooms.rooms) {
    room.layerData = EmptyListWithStorage<ByteList>(16);
    room.spriteData = EmptyListWithStorage<ByteList>(16);
    room.itemData = EmptyListWithStorage<ByteList>(16);
    room.pushableBlocks = EmptyListWithStorage<WordList>(4);
    room.torches = EmptyListWithStorage<WordList>(4);
    room.chests = EmptyListWithStorage<ByteList>(4);
  }
}

struct WorkBuffers {
  WorkImage source;
  WorkImage destination;
  ByteList sourceWithHeader;
  ByteList destinationWithHeader;
  TransferResult result;
  TransferResult again;  // the run on the output alone
  ByteList againFile;    // the output as that run reads it
  RoomSet readBack;
  const RomImage* jobDestination = nullptr;  // the destination of the job being checked
};

WorkBuffers& Buffers() {
  static WorkBuffers buffers = [] {
    WorkBuffers built;
    for (ByteList* buffer : {&built.source.bytes, &built.destination.bytes, &built.sourceWithHeader,
                             &built.destinationWithHeader, &built.againFile}) {
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

// What the editors see of the output: the same sprites, pot items, torches,
// messages and chests as the game's pointers give. Empty when they do.
std::string CompareWithEditorView(const RoomSet& readBack, const RomImage& out) {
  std::vector<fixture::EditorRoomView> editor;
  try {
    editor = fixture::ReadAsEditor(out.bytes);
  } catch (const std::logic_error& failure) {
    // The tables the editors find at fixed places are kept as the
    // destination has them: one they could not read, they cannot read after.
    try {
      fixture::ReadAsEditor(Buffers().jobDestination->bytes);
    } catch (const std::logic_error&) {
      return "";
    }
    return std::string("the editors cannot read the output: ") + failure.what();
  }
  for (int room = 0; room < ROOM_COUNT; ++room) {
    const RoomData& read = readBack[room];
    const fixture::EditorRoomView& view = editor[static_cast<std::size_t>(room)];
    const char* kind = view.sprites != read.spriteData ? "sprites"
                       : view.items != read.itemData   ? "items"
                       : view.torches != read.torches  ? "torches"
                       : view.message != read.message  ? "message"
                       : view.chests != read.chests    ? "chests"
                                                       : nullptr;
    if (kind != nullptr) {
      return Format("room %d: the editors read other %s than the game", room, kind);
    }
  }
  return "";
}

// Empty when `readBack`, the rooms the output reads back as, holds what was
// written but for the differences the format accepts, and, in the editable
// layout, the editors see the same rooms.
std::string CompareWithWritten(const TransferResult& result, const RoomSet& readBack,
                               RomImage& out) {
  const bool editable = result.layout.kind == LayoutKind::Editable;
  const std::uint32_t torchLimit = editable ? GAME_TORCH_SPACE : TORCH_TABLE_LIMIT;
  for (const RoomDifference& difference :
       CompareReadBack(result.destinationSet, readBack, out, torchLimit)) {
    if (!difference.expected) {
      return "the output reads back differently: " + DescribeDifference(difference);
    }
  }
  return editable ? CompareWithEditorView(readBack, out) : "";
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

// The tool run on the output alone, in the same layout, must reproduce it.
// That run reads the output as its source with the tool's own readers, so
// its source set is also what the output reads back as. It runs as the tool
// runs: on the output's bytes as a file read gives them, in storage the new
// output then takes over.
std::string CheckRunAgain(TransferResult& result) {
  ByteList& file = Buffers().againFile;
  file.assign(result.out.bytes.begin(), result.out.bytes.end());
  InputRom again = PrepareInputRom(result.out.name, std::move(file));
  RoomList sourceRooms;
  RoomList destinationRooms;
  FillIdentityRoomLists(sourceRooms, destinationRooms);
  OutputLayout layout;
  layout.base = result.layout.base;
  layout.kind = result.layout.kind;
  std::string failure;
  std::string runFailure;
  TransferResult& second = Buffers().again;
  try {
    RunTransferJobTakingDestination(again.image, again.image, sourceRooms, destinationRooms,
                                    "__b.sfc", second, layout);
    failure = CompareWithWritten(result, second.sourceSet, result.out);
    if (failure.empty() && second.out.bytes != result.out.bytes) {
      failure = "a run on the output alone does not reproduce it";
    }
  } catch (const std::runtime_error& error) {
    runFailure = error.what();
  }
  // The storage goes back for the next input, from wherever the run left it.
  file = std::move(again.image.bytes.capacity() > 0 ? again.image.bytes : second.out.bytes);
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

// The names the job's files go by: relative in the classic job, absolute in
// the editable one (as when a ROM is dropped onto the program), where a
// headerless copy takes its prefix in front of the last part of the name.
struct JobNames {
  const char* source;
  const char* destination;
  const char* output;
  const char* sourceCopy;
  const char* destinationCopy;
};

const JobNames& NamesFor(LayoutKind kind) {
  static const JobNames classic = {"a.sfc", "b.sfc", "_b.sfc", "_NoHeader_a.sfc",
                                   "_NoHeader_b.sfc"};
  static const JobNames editable = {"/roms/a.sfc", "/roms/b.sfc", "/roms/_b.sfc",
                                    "/roms/_NoHeader_a.sfc", "/roms/_NoHeader_b.sfc"};
  return kind == LayoutKind::Editable ? editable : classic;
}

// A headered input's image goes by the name of its headerless copy.
std::string CheckImageName(const InputRom& rom, const char* copyName) {
  if (rom.hasCopierHeader && rom.image.name != copyName) {
    return "the headerless image is named " + rom.image.name + ", not " + copyName;
  }
  return "";
}

// The quiet check of the game's code, which decides whether a run makes a
// headerless copy, lets exactly the images pass that the run's check does.
std::string CheckCodeRecognition(RomImage& image) {
  bool passes = true;
  try {
    CheckGameCode(image);
  } catch (const std::runtime_error&) {
    passes = false;
  }
  if (passes != HoldsGameCode(image)) {
    return "HoldsGameCode and CheckGameCode disagree on " + image.name;
  }
  return "";
}

// Runs the job on the prepared files; the buffers get their storage back.
std::string RunAndCheck(ByteList& sourceFile, ByteList& destinationFile, bool oneRom,
                        const RoomList& sourceRooms, const RoomList& destinationRooms,
                        bool runAgain, const OutputLayout& layout) {
  const JobNames& names = NamesFor(layout.kind);
  InputRom sourceRom = PrepareInputRom(names.source, std::move(sourceFile));
  InputRom destinationRom =
      PrepareInputRom(names.destination, oneRom ? ByteList{} : std::move(destinationFile));
  RomImage& destinationImage = oneRom ? sourceRom.image : destinationRom.image;
  std::string failure = CheckImageName(sourceRom, names.sourceCopy);
  if (failure.empty() && !oneRom) {
    failure = CheckImageName(destinationRom, names.destinationCopy);
  }
  if (failure.empty()) {
    failure = CheckCodeRecognition(sourceRom.image);
  }
  if (failure.empty() && !oneRom) {
    failure = CheckCodeRecognition(destinationRom.image);
  }
  try {
    TransferResult& result = Buffers().result;
    Buffers().jobDestination = &destinationImage;
    if (failure.empty()) {
      RunTransferJob(sourceRom.image, destinationImage, sourceRooms, destinationRooms, names.output,
                     result, layout);
      failure = CheckOutput(result, runAgain);
    }
  } catch (const std::runtime_error&) {
    // refused with its failure line, as the tool may
  }
  sourceFile = std::move(sourceRom.image.bytes);
  if (!oneRom) {
    destinationFile = std::move(destinationRom.image.bytes);
  }
  // The names of the blocks and regions are freed with the input that made
  // them, or a later input placing more of them would look to the fuzzer like
  // a leak.
  for (TransferResult* result : {&Buffers().result, &Buffers().again}) {
    result->out.placedBlocks.clear();
    result->out.inPlaceRegions.clear();
  }
  return failure;
}

}  // namespace

std::uint8_t AnchorOf(std::int64_t offset, LayoutKind kind) {
  const std::vector<std::int64_t>& anchors = BasesFor(kind).anchors;
  const auto found = std::find(anchors.begin(), anchors.end(), offset);
  if (found == anchors.end()) {
    throw std::logic_error("not an anchor");
  }
  return static_cast<std::uint8_t>(found - anchors.begin());
}

std::uint8_t EndOfImageAnchor(LayoutKind kind) {
  return static_cast<std::uint8_t>(BasesFor(kind).anchors.size());
}

std::string CheckTransferJob(const std::uint8_t* data, std::size_t size,
                             const OutputLayout& layout) {
  const Bases& bases = BasesFor(layout.kind);
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
      (flags & 4) != 0, sourceRooms, destinationRooms, (flags & 8) != 0, layout);
  // An image without the signature lost its first 512 bytes as a copier header.
  buffers.source.reshaped |= buffers.source.bytes.size() != sourceSize;
  buffers.destination.reshaped |= buffers.destination.bytes.size() != destinationSize;
  return failure;
}

std::string CheckTransferJob(const std::uint8_t* data, std::size_t size) {
  return CheckTransferJob(data, size, OutputLayout{});
}

std::int64_t EditableBaseOf(std::uint8_t choice) {
  if (choice < FIRST_BASE_CHOICE) {
    return DEFAULT_EDITABLE_BASE;
  }
  return LOWEST_BASE + (choice - FIRST_BASE_CHOICE) * BANK_SIZE;
}

std::string CheckEditableTransferJob(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return "";
  }
  return CheckTransferJob(data + 1, size - 1, EditableLayout(EditableBaseOf(data[0])));
}

}  // namespace fuzzing
