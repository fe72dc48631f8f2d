// One fuzz input as a program for the 65816 interpreter: its first bytes set
// the registers and the kind of call, the rest is the ROM image, mirrored
// over the LoROM map, whose code runs from $00:8000 (the image's first byte
// after the settings, at its mirror). The run is budgeted: it must end within
// its budget with a stop, a return or the budget spent, never in a fault,
// and leave the registers as the processor can hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// Empty when every promise was kept; otherwise what went wrong.
std::string CheckCpuRun(const std::uint8_t* data, std::size_t size);

}  // namespace fuzzing
