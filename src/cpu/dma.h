// General-purpose DMA, as a write to $420B starts it: the channels whose bits
// are set run one after another, from channel 0.
#pragma once

#include <cstdint>

#include "cpu/bus.h"

void RunDma(Bus& bus, std::uint8_t channels);
