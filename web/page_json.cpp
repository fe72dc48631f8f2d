#include "page_json.h"

#include <algorithm>
#include <cstdint>

#include "page_command.h"
#include "rom/format.h"
#include "rom/snes_address.h"
#include "room_field.h"

namespace {

// The members of one JSON object, in the order added.
struct JsonObject {
  std::string members;

  JsonObject& Add(const char* name, const std::string& json) {
    members += (members.empty() ? "" : ",") + JsonString(name) + ":" + json;
    return *this;
  }
  JsonObject& Add(const char* name, std::int64_t number) {
    return Add(name, std::to_string(number));
  }
  std::string Json() const { return "{" + members + "}"; }
};

std::int64_t SnesOf(std::int64_t offset) {
  return static_cast<std::int64_t>(PcToSnes(static_cast<std::uint32_t>(offset)));
}

const char* JsonBool(bool value) { return value ? "true" : "false"; }

template <typename Item, typename ToJson>
std::string JsonArray(const std::vector<Item>& items, ToJson toJson) {
  std::string json = "[";
  for (const Item& item : items) {
    json += (json.size() > 1 ? "," : "") + toJson(item);
  }
  return json + "]";
}

std::string RoomJson(const InspectedRoom& room) {
  return JsonObject{}
      .Add("room", room.room)
      .Add("line", static_cast<std::int64_t>(room.line))
      .Add("layerBytes", static_cast<std::int64_t>(room.layerBytes))
      .Add("spriteBytes", static_cast<std::int64_t>(room.spriteBytes))
      .Add("itemBytes", static_cast<std::int64_t>(room.itemBytes))
      .Add("chests", static_cast<std::int64_t>(room.chests))
      .Add("pushableBlocks", static_cast<std::int64_t>(room.pushableBlocks))
      .Add("torchWords", static_cast<std::int64_t>(room.torchWords))
      .Add("pit", JsonBool(room.pit))
      .Add("message", room.message)
      .Add("note", JsonString(room.note))
      .Json();
}

std::string InspectionJson(const Inspection& inspection) {
  return JsonObject{}
      .Add("pack", JsonBool(inspection.pack))
      .Add("note", JsonString(inspection.note))
      .Add("rooms", JsonArray(inspection.rooms, RoomJson))
      .Json();
}

std::string MapJson(const MapSummary& map) {
  const auto block = [](const MapBlock& row) {
    return JsonObject{}
        .Add("name", JsonString(row.name))
        .Add("start", row.start)
        .Add("end", row.end)
        .Add("snesStart", SnesOf(row.start))
        .Add("snesEnd", SnesOf(std::max(row.start, row.end - 1)))
        .Add("banks", JsonArray(row.banks, [](std::int64_t bank) { return std::to_string(bank); }))
        .Json();
  };
  const auto bank = [](const MapBank& row) {
    return JsonObject{}
        .Add("bank", row.bank)
        .Add("used", row.used)
        .Add("gaps", row.gaps)
        .Add("free", row.free)
        .Json();
  };
  const auto region = [](const InPlaceRegion& row) {
    return JsonObject{}
        .Add("name", JsonString(row.name))
        .Add("start", row.start)
        .Add("used", row.used)
        .Add("space", row.space)
        .Add("percent", row.space > 0 ? row.used * 100 / row.space : 0)
        .Json();
  };
  return JsonObject{}
      .Add("blocks", JsonArray(map.blocks, block))
      .Add("banks", JsonArray(map.banks, bank))
      .Add("inPlace", JsonArray(map.inPlace, region))
      .Json();
}

// A line without its "\n".
std::string LineJson(const std::string& line) {
  return JsonString(std::string_view(line).substr(0, line.find('\n')));
}

std::string VerifyJson(const VerifyReport& verify) {
  return JsonObject{}
      .Add("summary", LineJson(verify.summary))
      .Add("unexpected", verify.unexpected)
      .Add("expected", verify.expected)
      .Json();
}

// The last line of `text`, whose lines each end in "\n".
std::string LastLine(const std::string& text) {
  const std::size_t end = text.size() > 1 ? text.size() - 2 : 0;
  const std::size_t lastLine = text.rfind('\n', end);
  return text.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
}

std::string GameCheckJson(const GameCheckReport& check) {
  return JsonObject{}
      .Add("made", JsonBool(check.made))
      .Add("moved", check.moved)
      .Add("differing", check.differing)
      .Add("summary", LineJson(LastLine(check.text)))
      .Json();
}

template <typename Part, typename ToJson>
std::string OrNull(const std::optional<Part>& part, ToJson toJson) {
  return part ? toJson(*part) : "null";
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      json += Format("\\u%04X", byte);
    } else {
      json += c;
    }
  }
  return json + "\"";
}

std::string JsonStrings(const std::vector<std::string>& texts) {
  return JsonArray(texts, [](const std::string& text) { return JsonString(text); });
}

std::string RunJson(int status, const RunReport& report, const std::vector<std::string>& written) {
  return JsonObject{}
      .Add("status", status)
      .Add("output",
           OrNull(report.output, [](const std::string& name) { return JsonString(name); }))
      .Add("written", JsonStrings(written))
      .Add("inspection", OrNull(report.inspection, InspectionJson))
      .Add("map", OrNull(report.map, MapJson))
      .Add("verify", OrNull(report.verify, VerifyJson))
      .Add("gameCheck", OrNull(report.gameCheck, GameCheckJson))
      .Add("failure", OrNull(report.failure, LineJson))
      .Json();
}

std::string PictureJson(int status, const std::string& line, const Picture* picture,
                        const DrawingCounts* counts) {
  return JsonObject{}
      .Add("status", status)
      .Add("line", LineJson(line))
      .Add("width", picture != nullptr ? picture->width : 0)
      .Add("height", picture != nullptr ? picture->height : 0)
      .Add("instructions",
           counts != nullptr ? static_cast<std::int64_t>(counts->instructions) : std::int64_t{0})
      .Json();
}

std::string FieldJson(const std::string& field) {
  RoomList sourceRooms;
  RoomList destinationRooms;
  const bool usable = field.empty() || ReadField(field, sourceRooms, destinationRooms);
  std::vector<std::string> pairs;
  for (std::size_t i = 0; usable && i < sourceRooms.size(); ++i) {
    pairs.push_back(Format("[%d,%d]", sourceRooms[i], destinationRooms[i]));
  }
  const char* form = field.empty() ? "empty" : InRoomsOptionForm(field) ? "rooms" : "list";
  return JsonObject{}
      .Add("usable", JsonBool(usable))
      .Add("form", JsonString(form))
      .Add("pairs", JsonArray(pairs, [](const std::string& pair) { return pair; }))
      .Json();
}

std::string CommandJson(const std::vector<std::string>& arguments) {
  return JsonObject{}
      .Add("arguments", JsonStrings(arguments))
      .Add("command", JsonString(ShellCommand(arguments)))
      .Json();
}
