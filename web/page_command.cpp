#include "page_command.h"

#include <algorithm>
#include <cctype>

#include "room_field.h"

namespace {

struct FieldArguments {
  std::string roomsOption;  // "" or "--rooms=LIST"
  std::string roomList;     // "" or the ROOMS list, after the files
};

// `takesRoomList`: the positional ROOMS has a place (behind a destination or
// an --export source).
FieldArguments PlaceField(const std::string& field, bool takesRoomList) {
  if (field.empty()) {
    return {};
  }
  if (InRoomsOptionForm(field)) {
    return {"--rooms=" + field, ""};
  }
  if (takesRoomList) {
    return {"", field};
  }
  const std::string pairs = FieldAsPairs(field);
  // A list the run refuses is refused as the --rooms list it now is.
  return {"--rooms=" + (pairs.empty() ? field : pairs), ""};
}

std::vector<std::string> WithFiles(std::vector<std::string> arguments, const FieldArguments& list,
                                   const std::vector<std::string>& files) {
  if (!list.roomsOption.empty()) {
    arguments.push_back(list.roomsOption);
  }
  arguments.push_back("--");
  arguments.insert(arguments.end(), files.begin(), files.end());
  if (!list.roomList.empty()) {
    arguments.push_back(list.roomList);
  }
  return arguments;
}

bool NeedsNoQuotes(const std::string& argument) {
  return !argument.empty() && std::all_of(argument.begin(), argument.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           std::string_view("_.,:=/+-").find(c) != std::string_view::npos;
  });
}

std::string Quoted(const std::string& argument) {
  if (NeedsNoQuotes(argument)) {
    return argument;
  }
  std::string quoted = "'";
  for (const char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

}  // namespace

std::vector<std::string> RunArguments(const PageControls& controls) {
  const bool oneRom = controls.destination.empty();
  std::vector<std::string> files = {controls.source};
  if (!oneRom) {
    files.push_back(controls.destination);
  }
  return WithFiles(controls.options, PlaceField(controls.field, !oneRom), files);
}

std::string ExportPackName(const std::string& source) {
  const std::size_t dot = source.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? source : source.substr(0, dot);
  const std::string name = stem + ".pack";
  return name == source ? "_" + name : name;
}

std::vector<std::string> ExportArguments(const PageControls& controls) {
  return WithFiles({"--export=" + ExportPackName(controls.source)},
                   PlaceField(controls.field, true), {controls.source});
}

std::string ShellCommand(const std::vector<std::string>& arguments) {
  std::string command = "roomxfer";
  for (const std::string& argument : arguments) {
    command += " " + Quoted(argument);
  }
  return command;
}
