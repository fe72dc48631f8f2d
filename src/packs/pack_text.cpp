#include "packs/pack_text.h"

#include <array>
#include <cstring>

#include "rom/format.h"

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
constexpr char COMMENT_START = '#';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value of each character as a hex digit; -1: not a hex digit.
constexpr std::array<std::int8_t, 256> HexValues() {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (int digit = 0; digit < 10; ++digit) {
    values.at(static_cast<std::size_t>('0' + digit)) = static_cast<std::int8_t>(digit);
  }
  for (int digit = 0; digit < 6; ++digit) {
    values.at(static_cast<std::size_t>('a' + digit)) = static_cast<std::int8_t>(10 + digit);
    values.at(static_cast<std::size_t>('A' + digit)) = static_cast<std::int8_t>(10 + digit);
  }
  return values;
}
constexpr std::array<std::int8_t, 256> HEX_VALUES = HexValues();

// The bytes that stand for themselves: printable ASCII and the tab.
constexpr std::array<bool, 256> PlainBytes() {
  std::array<bool, 256> plain{};
  for (std::size_t byte = 0x20; byte < 0x7F; ++byte) {
    plain.at(byte) = true;
  }
  plain.at('\t') = true;
  return plain;
}
constexpr std::array<bool, 256> PLAIN_BYTES = PlainBytes();

// Whether the 8 bytes at `at` are all printable ASCII (0x20 to 0x7E), told
// a word at a time: the text of a pack is nearly all such bytes.
bool EightPrintable(std::string_view line, std::size_t at) {
  constexpr std::uint64_t HIGH_BITS = 0x8080808080808080;
  constexpr std::uint64_t ONES = 0x0101010101010101;
  std::uint64_t word = 0;
  std::memcpy(&word, line.data() + at, sizeof word);
  const std::uint64_t del = word ^ (0x7F * ONES);
  const std::uint64_t below = (word - 0x20 * ONES) & ~word;  // a byte below 0x20
  const std::uint64_t isDel = (del - ONES) & ~del;           // a byte 0x7F
  return ((word | below | isDel) & HIGH_BITS) == 0;
}

// The length of the UTF-8 sequence that `lead` starts and the bits it gives;
// 0 for a byte that starts none.
std::size_t SequenceLength(unsigned lead, std::uint32_t& bits) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    bits = lead & 0x1F;
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    bits = lead & 0x0F;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    bits = lead & 0x07;
    return 4;
  }
  return 0;
}

// The character the sequence of `length` bytes at `at` gives; nothing when
// it is cut short, longer than needed, a surrogate or past U+10FFFF.
std::optional<std::uint32_t> DecodeSequence(std::string_view line, std::size_t at,
                                            std::size_t length, std::uint32_t bits) {
  if (length == 0 || at + length > line.size()) {
    return std::nullopt;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(line[at + k]);
    if ((next & 0xC0) != 0x80) {
      return std::nullopt;
    }
    bits = bits << 6 | (next & 0x3F);
  }
  constexpr std::array<std::uint32_t, 5> SMALLEST = {0, 0, 0x80, 0x800, 0x10000};
  if (bits < SMALLEST.at(length) || bits > 0x10FFFF || (bits >= 0xD800 && bits <= 0xDFFF)) {
    return std::nullopt;
  }
  return bits;
}

}  // namespace

PackText StartText(const ByteList& file) {
  PackText text;
  text.text = std::string_view(reinterpret_cast<const char*>(file.data()), file.size());
  if (text.text.starts_with(BYTE_ORDER_MARK)) {
    text.at = BYTE_ORDER_MARK.size();
  }
  return text;
}

bool NextLine(PackText& text, TextLine& line) {
  const std::string_view all = text.text;
  if (text.at >= all.size()) {
    return false;
  }
  const void* found = std::memchr(all.data() + text.at, '\n', all.size() - text.at);
  std::size_t end = found == nullptr
                        ? all.size()
                        : static_cast<std::size_t>(static_cast<const char*>(found) - all.data());
  const std::size_t next = end + 1;
  if (end > text.at && all[end - 1] == '\r') {
    --end;
  }
  line.number = ++text.number;
  line.whole = all.substr(text.at, end - text.at);
  const std::size_t comment = line.whole.find(COMMENT_START);
  line.commented = comment != std::string_view::npos;
  line.text = line.whole.substr(0, comment);
  line.rest = line.text;
  line.keyword = NextWord(line.rest);
  text.at = next;
  return true;
}

std::optional<std::string> TextFault(std::string_view line) {
  for (std::size_t at = 0; at < line.size();) {
    if (at + 8 <= line.size() && EightPrintable(line, at)) {
      at += 8;
      continue;
    }
    const auto byte = static_cast<unsigned char>(line[at]);
    if (PLAIN_BYTES.at(byte)) {
      ++at;
      continue;
    }
    if (byte < 0x80) {
      return Format("the byte 0x%02X is a control character", byte);
    }
    std::uint32_t bits = 0;
    const std::size_t length = SequenceLength(byte, bits);
    const std::optional<std::uint32_t> character = DecodeSequence(line, at, length, bits);
    if (!character) {
      return Format("the byte 0x%02X is not UTF-8 text", byte);
    }
    if (*character <= 0x9F) {
      return Format("the character U+%04X is a control character", *character);
    }
    at += length;
  }
  return std::nullopt;
}

std::string_view NextWord(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) {
    ++start;
  }
  std::size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) {
    ++end;
  }
  const std::string_view word = text.substr(start, end - start);
  text.remove_prefix(end);
  return word;
}

bool HasWord(std::string_view text) { return !NextWord(text).empty(); }

std::optional<std::uint8_t> HexByte(std::string_view word) {
  if (word.size() != 2) {
    return std::nullopt;
  }
  const int high = HEX_VALUES.at(static_cast<unsigned char>(word[0]));
  const int low = HEX_VALUES.at(static_cast<unsigned char>(word[1]));
  if (high < 0 || low < 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(high << 4 | low);
}
