// Deflate's LZ77 stage: each byte of the input either as itself or as part
// of a copy of earlier bytes, found through hash chains over the last 32 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

constexpr int MIN_MATCH = 3;
constexpr int MAX_MATCH = 258;
constexpr std::size_t WINDOW_SIZE = 32768;

// A literal byte (distance 0) or a copy of `lengthOrByte` bytes from
// `distance` bytes back.
struct LzToken {
  std::uint16_t lengthOrByte = 0;
  std::uint16_t distance = 0;
};

// Where the tokens have got to in the input, and the chains of earlier
// positions that share the hash of their first bytes. Positions are
// kept modulo 2^32: a candidate is only ever a guess that is checked against
// the bytes themselves, so a wrong one costs time, never correctness.
struct MatchFinder {
  std::span<const std::uint8_t> input;
  std::size_t position = 0;             // the first byte no token covers yet
  std::size_t inserted = 0;             // the positions before it are in the chains
  std::vector<std::uint32_t> head;      // the latest position of each hash
  std::vector<std::uint32_t> previous;  // the one before it, for each window slot
};

MatchFinder StartMatching(std::span<const std::uint8_t> input);

// Appends the tokens of the next bytes to `tokens` until it holds at least
// `maxTokens` (or the input ends); each call ends between two tokens.
void NextTokens(MatchFinder& finder, std::vector<LzToken>& tokens, std::size_t maxTokens);
