// The page's way into the core, called from its worker (web/page/worker.js):
// the command line's own run, with what it found as JSON beside its printed
// lines; the pixels of a picture as --picture draws it; the room field's
// pairs and edits; the arguments the page's controls stand for. The worker
// puts the files into the in-memory file system and calls these; every line,
// byte and pixel the page shows comes from here.
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/options.h"
#include "app/picture.h"
#include "app/run.h"
#include "page_command.h"
#include "page_json.h"
#include "rom/rom_file.h"
#include "room_field.h"

#define PAGE_ENTRY extern "C" __attribute__((used, visibility("default")))

namespace {

// What the page's session keeps between calls: the text last handed to the
// page, and the pixels of the last picture, alive until the next call.
struct PageSession {
  std::string text;
  Picture picture;
  std::vector<std::uint8_t> rgba;
};

PageSession& Session() {
  static PageSession session;
  return session;
}

const char* HandToPage(std::string text) {
  Session().text = std::move(text);
  return Session().text.c_str();
}

std::set<std::string> FilesInFolder() {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    if (entry.is_regular_file(error)) {
      names.insert(entry.path().filename().string());
    }
  }
  return names;
}

std::vector<std::string> Lines(const char* text) {
  std::vector<std::string> lines;
  std::string rest = text;
  for (std::size_t end; (end = rest.find('\n')) != std::string::npos; rest.erase(0, end + 1)) {
    lines.push_back(rest.substr(0, end));
  }
  if (!rest.empty()) {
    lines.push_back(rest);
  }
  return lines;
}

PageControls ControlsOf(const char* source, const char* destination, const char* field,
                        const char* options) {
  return PageControls{source, destination, field, Lines(options)};
}

}  // namespace

// The command line's run on `argv` (program name first) in the current
// folder: its lines go to standard output, its files into the folder. Gives
// {"status", "output", "written", ...} (see page_json.h); a failure returns
// here like any other run.
PAGE_ENTRY const char* PageRun(int argc, char** argv) {
  const std::set<std::string> before = FilesInFolder();
  RunReport report;
  const int status = RunCommandLine(argc, argv, &report);
  std::vector<std::string> written;
  for (const std::string& name : FilesInFolder()) {
    if (before.count(name) == 0) {
      written.push_back(name);
    }
  }
  return HandToPage(RunJson(status, report, written));
}

// What --picture draws for `argv` (program name first; the PNG's name is
// not used), without a file: {"status", "line", "width", "height",
// "instructions"}, the pixels at PagePicturePixels, 4 bytes each (red, green,
// blue, 255), rows top down. A picture the command line refuses gives status
// 1 and its line.
PAGE_ENTRY const char* PagePicture(int argc, char** argv) {
  PageSession& session = Session();
  session.picture = Picture{};
  session.rgba.clear();
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.usageError.empty() || !parsed.line.picture) {
    const std::string line = parsed.line.picture ? parsed.usageError : "No --picture given.\n";
    return HandToPage(PictureJson(USAGE_ERROR_STATUS, line));
  }
  DrawingCounts counts;
  try {
    session.picture = DrawCommandLinePicture(parsed.line, counts);
  } catch (...) {
    return HandToPage(PictureJson(1, FailureLine(std::current_exception())));
  }
  const std::vector<std::uint8_t>& rgb = session.picture.rgb;
  session.rgba.resize(rgb.size() / 3 * 4);
  for (std::size_t pixel = 0; pixel < rgb.size() / 3; ++pixel) {
    session.rgba[4 * pixel] = rgb[3 * pixel];
    session.rgba[4 * pixel + 1] = rgb[3 * pixel + 1];
    session.rgba[4 * pixel + 2] = rgb[3 * pixel + 2];
    session.rgba[4 * pixel + 3] = 0xFF;
  }
  return HandToPage(PictureJson(0, "", &session.picture, &counts));
}

PAGE_ENTRY const std::uint8_t* PagePicturePixels() { return Session().rgba.data(); }

// How many bytes of a file the page hands to the core at most: as many as
// the command line reads before it calls a file too large.
PAGE_ENTRY double PageInputReadLimit() { return static_cast<double>(MAX_INPUT_FILE_SIZE + 1); }

// The field's pairs: {"usable", "form", "pairs"}.
PAGE_ENTRY const char* PageField(const char* field) { return HandToPage(FieldJson(field)); }

PAGE_ENTRY const char* PageFieldWithPair(const char* field, int source, int destination) {
  return HandToPage(FieldWithPair(field, source, destination));
}

PAGE_ENTRY const char* PageFieldWithoutPair(const char* field, int index) {
  return HandToPage(index < 0 ? std::string(field)
                              : FieldWithoutPair(field, static_cast<std::size_t>(index)));
}

// The run the controls stand for: {"arguments", "command"}. `destination`
// "" is a one-ROM run; `options` holds the options set, one a line.
PAGE_ENTRY const char* PageRunCommand(const char* source, const char* destination,
                                      const char* field, const char* options) {
  return HandToPage(CommandJson(RunArguments(ControlsOf(source, destination, field, options))));
}

// --export of the source's rooms the field names: {"arguments", "command"}.
PAGE_ENTRY const char* PageExportCommand(const char* source, const char* field) {
  return HandToPage(CommandJson(ExportArguments(ControlsOf(source, "", field, ""))));
}
