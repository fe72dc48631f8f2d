// One fuzz input as a room pack's text, read as the tool reads a pack file
// named "fuzz.pack". A pack that is refused must be refused with one line
// naming the file and ending in "\n". A pack that reads must be written back
// as text that reads to the same rooms and notes and writes itself again byte
// for byte, and that reads to the same pack without its comments; and a job
// from it onto a fixed destination ROM, its every room onto the room of its
// number, must end in an output or in a failure line of the run, never in a
// fault of the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// Empty when every promise was kept; otherwise what went wrong.
std::string CheckPackInput(const std::uint8_t* data, std::size_t size);

}  // namespace fuzzing
