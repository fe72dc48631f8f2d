// The lines of a room pack's text, one at a time: without their line end
// (LF, or CRLF) and without their comment (from the first "#" on), split into
// their first word and the rest; after an optional UTF-8 byte-order mark at
// the start. Words are separated by spaces and tabs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rom/byte_list.h"

struct TextLine {
  int number = 0;            // 1 for the file's first line
  std::string_view whole;    // the line without its line end, comment and all
  std::string_view text;     // the line without its comment
  std::string_view keyword;  // the first word of `text`
  std::string_view rest;     // what follows the keyword
  bool commented = false;    // whether a comment was cut off
};

// Where the reading of the text stands.
struct PackText {
  std::string_view text;
  std::size_t at = 0;
  int number = 0;  // the lines read so far
};

PackText StartText(const ByteList& file);

// Reads the next line into `line`; false when the text has no more.
bool NextLine(PackText& text, TextLine& line);

// What makes `line` no text, if anything: a control character (a tab aside),
// or bytes that are not UTF-8.
std::optional<std::string> TextFault(std::string_view line);

// The first word of `text`, which then holds what follows it; empty when no
// word is left.
std::string_view NextWord(std::string_view& text);
bool HasWord(std::string_view text);

// The byte the two hex digits of `word` give.
std::optional<std::uint8_t> HexByte(std::string_view word);
