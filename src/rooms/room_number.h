// A room number as the user writes it: decimal, or hexadecimal after "0x",
// "0X" or "$" ("18", "0x12", "$12").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The room, 0 to 319; nothing for any other text.
std::optional<std::int32_t> ParseRoomNumber(std::string_view text);
