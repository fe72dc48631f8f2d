#include "picture/lz77.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int HASH_BITS = 16;
constexpr std::size_t HASH_SIZE = std::size_t{1} << HASH_BITS;
constexpr std::size_t WINDOW_MASK = WINDOW_SIZE - 1;

// How hard the search tries: chain positions looked at for each byte, a
// quarter of them once a match of GOOD_LENGTH is in hand, no search past a
// match of NICE_LENGTH, and no look at the next byte past one of LAZY_LIMIT.
constexpr int MAX_CHAIN = 512;
constexpr std::size_t GOOD_LENGTH = 8;
constexpr std::size_t NICE_LENGTH = 258;
constexpr std::size_t LAZY_LIMIT = 258;
// A copy of three bytes from further back costs about as much as the bytes.
constexpr std::size_t TOO_FAR = 4096;

struct Match {
  std::size_t length = 0;  // 0: none
  std::size_t distance = 0;
};

// Chains link positions whose first HASHED_BYTES bytes hash alike. Four
// rather than three: in pictures the chains of three bytes fill with short
// matches, and on room pictures the result was both faster and smaller.
constexpr std::size_t HASHED_BYTES = 4;

// `position` has at least HASHED_BYTES bytes from it.
std::uint32_t HashAt(std::span<const std::uint8_t> input, std::size_t position) {
  std::uint32_t bytes = 0;
  for (std::size_t index = 0; index < HASHED_BYTES; ++index) {
    bytes |= std::uint32_t{input[position + index]} << (8 * index);
  }
  return (bytes * 0x9E3779B1u) >> (32 - HASH_BITS);
}

// Puts the positions before `end` into the chains (those with bytes to hash).
void InsertUpTo(MatchFinder& finder, std::size_t end) {
  const std::size_t size = finder.input.size();
  end = std::min(end, size < HASHED_BYTES ? 0 : size - (HASHED_BYTES - 1));
  for (; finder.inserted < end; ++finder.inserted) {
    const std::uint32_t hash = HashAt(finder.input, finder.inserted);
    finder.previous[finder.inserted & WINDOW_MASK] = finder.head[hash];
    finder.head[hash] = static_cast<std::uint32_t>(finder.inserted);
  }
}

// How many bytes from the start of `earlier` and `here` (of one size) agree.
std::size_t MatchLength(std::span<const std::uint8_t> earlier, std::span<const std::uint8_t> here) {
  const std::size_t limit = here.size();
  std::size_t length = 0;
  for (; length + 8 <= limit; length += 8) {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, earlier.data() + length, 8);
    std::memcpy(&b, here.data() + length, 8);
    if (a != b) {
      const int sameBits = std::endian::native == std::endian::little ? std::countr_zero(a ^ b)
                                                                      : std::countl_zero(a ^ b);
      return length + static_cast<std::size_t>(sameBits / 8);
    }
  }
  while (length < limit && earlier[length] == here[length]) ++length;
  return length;
}

// The longest match at `position` (whose earlier positions are all in the
// chains, itself not) that is longer than `beat`; the nearest of equals.
Match LongestMatch(const MatchFinder& finder, std::size_t position, std::size_t beat) {
  const std::size_t limit = std::min<std::size_t>(MAX_MATCH, finder.input.size() - position);
  std::size_t bestLength = std::max<std::size_t>(beat, MIN_MATCH - 1);
  Match best;
  if (limit < HASHED_BYTES || bestLength >= limit) return best;
  const std::span<const std::uint8_t> here = finder.input.subspan(position, limit);
  const std::size_t enough = std::min(NICE_LENGTH, limit);
  const auto start = static_cast<std::uint32_t>(position);
  std::uint32_t candidate = finder.head[HashAt(finder.input, position)];
  std::uint32_t lastDistance = 0;
  for (int chain = beat >= GOOD_LENGTH ? MAX_CHAIN / 4 : MAX_CHAIN; chain > 0; --chain) {
    const std::uint32_t distance = start - candidate;
    // Chains only lead further back; anything else is a slot reused since.
    if (distance <= lastDistance || distance > WINDOW_SIZE || distance > position) break;
    const std::span<const std::uint8_t> earlier = finder.input.subspan(position - distance, limit);
    if (earlier[bestLength] == here[bestLength] && earlier[0] == here[0]) {
      const std::size_t length = MatchLength(earlier, here);
      if (length > bestLength) {
        bestLength = length;
        best = {length, distance};
        if (length >= enough) break;
      }
    }
    lastDistance = distance;
    candidate = finder.previous[candidate & WINDOW_MASK];
  }
  if (best.length == MIN_MATCH && best.distance > TOO_FAR) return {};
  return best;
}

LzToken Literal(std::uint8_t byte) { return {byte, 0}; }

}  // namespace

MatchFinder StartMatching(std::span<const std::uint8_t> input) {
  MatchFinder finder;
  finder.input = input;
  finder.head.assign(HASH_SIZE, 0);
  finder.previous.assign(WINDOW_SIZE, 0);
  return finder;
}

void NextTokens(MatchFinder& finder, std::vector<LzToken>& tokens, std::size_t maxTokens) {
  while (finder.position < finder.input.size() && tokens.size() < maxTokens) {
    InsertUpTo(finder, finder.position);
    Match match = LongestMatch(finder, finder.position, 0);
    // Lazy matching: where the next byte starts a longer match, this byte
    // goes as a literal and that match is weighed the same way.
    while (match.length != 0 && match.length < LAZY_LIMIT) {
      InsertUpTo(finder, finder.position + 1);
      const Match next = LongestMatch(finder, finder.position + 1, match.length);
      if (next.length == 0) break;
      tokens.push_back(Literal(finder.input[finder.position]));
      ++finder.position;
      match = next;
    }
    if (match.length == 0) {
      tokens.push_back(Literal(finder.input[finder.position]));
      ++finder.position;
      continue;
    }
    tokens.push_back(
        {static_cast<std::uint16_t>(match.length), static_cast<std::uint16_t>(match.distance)});
    finder.position += match.length;
  }
}
