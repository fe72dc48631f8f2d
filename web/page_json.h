// The page's answers from the core as JSON: what a run found (the rooms it
// inspected, the map's blocks and banks, the verify verdict), the files it
// wrote, the arguments the controls stand for and the room field's pairs.
// Numbers are JSON numbers, texts JSON strings (UTF-8 kept, control
// characters escaped).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/picture.h"
#include "app/run.h"
#include "rooms/transfer.h"

std::string JsonString(std::string_view text);
std::string JsonStrings(const std::vector<std::string>& texts);

// {"status", "output", "written", "inspection", "map", "verify", "gameCheck", "failure"}:
// the parts the run did not reach are null.
std::string RunJson(int status, const RunReport& report, const std::vector<std::string>& written);

// {"status", "line", "width", "height", "instructions"}: a picture drawn
// (status 0), or the line the picture was refused with (without its "\n").
std::string PictureJson(int status, const std::string& line, const Picture* picture = nullptr,
                        const DrawingCounts* counts = nullptr);

// {"usable", "form" ("empty", "rooms" or "list"), "pairs": [[source, destination], ...]}
std::string FieldJson(const std::string& field);

// {"arguments": [...], "command": "roomxfer ..."}
std::string CommandJson(const std::vector<std::string>& arguments);
