// One run of the tool: SOURCE [DESTINATION [ROOMS]].
#pragma once

#include <exception>
#include <string>

// Runs the whole job and gives the exit status: 0 after a run that wrote its
// output, 1 after a failure (its one line printed, no output file left).
int RunCommandLine(int argc, char** argv);

// The one line a failure ends the run with: a stop's own line, "Out of
// memory.", or "Internal error: WHAT." for any other exception.
std::string FailureLine(const std::exception_ptr& failure);
