// The comments the writer puts behind the lines of a room pack: what each
// line's bytes mean to the game, decoded as the game's code reads them.
// They are information only: the reader skips them and the writer makes
// them again from the bytes. Positions are in pixels from the top left corner
// of the room's 512 x 512 area; "upper" and "lower" name the two layers.
// Each function adds its comment (without the "#") at the end of `text`.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "packs/pack_lines.h"

// The header's fields by name, as the game's header loader takes them apart.
void AppendHeaderComment(std::span<const std::uint8_t> header, std::string& text);

// The room's number in hexadecimal ("$12").
void AppendRoomComment(int room, std::string& text);

void AppendPitComment(std::uint8_t hasPit, std::string& text);
void AppendMessageComment(std::uint16_t message, std::string& text);

// Where in its list a line stands, as far as its comment depends on it.
struct LineContext {
  int layersEnded = 0;  // the layer data's end lines before this one
};

// The comment of one line of a list.
void AppendListLineComment(PackList list, const PackLine& line, const LineContext& context,
                           std::string& text);
