// One run of the tool: SOURCE [DESTINATION [ROOMS]].
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "app/game_check.h"
#include "app/inspection.h"
#include "app/map.h"
#include "app/verify.h"

// What a run found and made, as data beside its printed lines: for a caller
// that shows them otherwise (the page). Each part is there when the run got
// that far with the option that asks for it.
struct RunReport {
  std::optional<Inspection> inspection;  // --inspect
  std::optional<MapSummary> map;         // --map
  std::optional<VerifyReport> verify;    // --verify's read-back, also when it stops the run
  std::optional<GameCheckReport> gameCheck;
  std::optional<std::string> output;   // the file written: the new ROM, the room pack or the PNG
  std::optional<std::string> failure;  // the line the run stopped with
};

// Runs the whole job and gives the exit status: 0 after a run that wrote its
// output, 1 after a failure (its one line printed, no output file left).
// `report`, when given, receives what the run found.
int RunCommandLine(int argc, char** argv, RunReport* report = nullptr);

// The one line a failure ends the run with: a stop's own line, "Out of
// memory.", or "Internal error: WHAT." for any other exception.
std::string FailureLine(const std::exception_ptr& failure);
