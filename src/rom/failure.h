// A failure stops the run: the line is handed up to the run driver, which
// prints it, removes any unfinished output and ends the process with status 1.
#pragma once

#include <string>

// `line` is printed exactly as given (normally ending in "\n").
[[noreturn]] void StopRun(const std::string& line);
