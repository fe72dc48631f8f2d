#include "pack_input.h"

#include <stdexcept>

#include "app/job/transfer_job.h"
#include "fixture/rom_fixture.h"
#include "packs/pack_reader.h"
#include "packs/pack_writer.h"
#include "rom/byte_list.h"

namespace fuzzing {

namespace {

const std::string PACK_NAME = "fuzz.pack";

const ByteList& Destination() {
  static const ByteList destination = fixture::BuildRom(fixture::SimpleRooms());
  return destination;
}

bool SamePack(const RoomPack& first, const RoomPack& second) {
  return first.note == second.note && first.rooms == second.rooms && first.held == second.held &&
         first.roomNotes == second.roomNotes;
}

// The text with every line cut at its "#": the comments are information only.
ByteList WithoutComments(const std::string& text) {
  ByteList plain;
  plain.reserve(text.size());
  bool inComment = false;
  for (const char c : text) {
    inComment = c != '\n' && (inComment || c == '#');
    if (!inComment) {
      plain.push_back(static_cast<std::uint8_t>(c));
    }
  }
  return plain;
}

std::string CheckRefusal(const std::string& line) {
  const bool oneLine = !line.empty() && line.back() == '\n' && line.find('\n') == line.size() - 1;
  if (!oneLine || line.rfind(PACK_NAME + ": ", 0) != 0) {
    return "a refusal that is not one line naming the pack: " + line;
  }
  return "";
}

// The pack's rooms onto a fixture ROM: a failure line of the run is a
// refusal, anything else thrown is a fault.
std::string CheckJob(const RoomPack& pack) {
  RoomList rooms;
  for (const int room : HeldRooms(pack)) {
    rooms.push_back(room);
  }
  RomImage destination;
  destination.name = "d.sfc";
  destination.bytes = Destination();
  TransferResult result;
  try {
    RunTransferJob(pack.rooms, destination, rooms, rooms, "_d.sfc", result);
  } catch (const std::runtime_error&) {
    return "";
  } catch (const std::exception& fault) {
    return std::string("the job from the pack failed with a fault: ") + fault.what();
  }
  return "";
}

}  // namespace

std::string CheckPackInput(const std::uint8_t* data, std::size_t size) {
  const ByteList file(data, data + size);
  if (!IsRoomPack(file)) {
    return "";
  }
  RoomPack pack;
  try {
    pack = ReadRoomPack(file, PACK_NAME);
  } catch (const std::runtime_error& refusal) {
    return CheckRefusal(refusal.what());
  }
  const std::string text = FormatRoomPack(pack);
  RoomPack again;
  try {
    again = ReadRoomPack(ByteList(text.begin(), text.end()), PACK_NAME);
  } catch (const std::runtime_error& refusal) {
    return std::string("the writer's text is refused: ") + refusal.what();
  }
  if (!SamePack(pack, again)) {
    return "the writer's text reads as another pack";
  }
  if (FormatRoomPack(again) != text) {
    return "the writer's text, read and written again, changed";
  }
  try {
    if (!SamePack(pack, ReadRoomPack(WithoutComments(text), PACK_NAME))) {
      return "the writer's text without its comments reads as another pack";
    }
  } catch (const std::runtime_error& refusal) {
    return std::string("the writer's text without its comments is refused: ") + refusal.what();
  }
  return CheckJob(pack);
}

}  // namespace fuzzing
