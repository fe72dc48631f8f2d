// The command line the page's controls stand for: the arguments handed to
// the run, and the line a user would type in a shell for them.
#pragma once

#include <string>
#include <vector>

struct PageControls {
  std::string source;
  std::string destination;           // "": the source is also the destination (one ROM)
  std::string field;                 // the room field as typed
  std::vector<std::string> options;  // the options the controls set, in their order
};

// Options, the room list where the command line takes it (a --rooms field as
// --rooms; a ROOMS field after the destination, or with one ROM, which takes
// no ROOMS, as --rooms pairs), then "--" and the files, so that no file name
// is read as an option.
std::vector<std::string> RunArguments(const PageControls& controls);

// --export NAME.pack with the source and the field: the pack is named after
// the source (its name without the last extension), "_" in front should that
// be the source's own name.
std::vector<std::string> ExportArguments(const PageControls& controls);
std::string ExportPackName(const std::string& source);

// "roomxfer" and the arguments, each quoted for a POSIX shell where it needs
// it: single quotes around anything but letters, digits and _ . , : = / + -.
std::string ShellCommand(const std::vector<std::string>& arguments);
