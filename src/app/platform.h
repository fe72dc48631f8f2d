// What the program needs from Windows beyond standard C++; elsewhere these
// leave everything as it is.
#pragma once

#include <string>
#include <vector>

// The command-line arguments, program name first, in UTF-8: on Windows read
// as the wide strings the system keeps, elsewhere `argv` as it is.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output in binary mode on Windows, so lines end in "\n" alone.
void UseBinaryStandardOutput();
