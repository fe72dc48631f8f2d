#include "picture/deflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "picture/bit_writer.h"
#include "picture/huffman.h"
#include "picture/lz77.h"

namespace {

constexpr std::size_t BLOCK_TOKENS = 16384;
constexpr std::size_t STORED_MAX = 65535;

// The literal/length alphabet: bytes 0-255, the end of the block 256, and
// 257-285 for lengths; the fixed code also defines 286 and 287.
constexpr std::size_t LITERAL_CODES = 286;
constexpr std::size_t DISTANCE_CODES = 30;
constexpr std::size_t FIXED_LITERAL_CODES = 288;
constexpr std::size_t FIXED_DISTANCE_CODES = 32;
constexpr int END_OF_BLOCK = 256;
constexpr int FIRST_LENGTH_CODE = 257;
constexpr int MAX_BITS = 15;
constexpr int MAX_LENGTH_CODE_BITS = 7;

constexpr std::array<std::uint16_t, 29> LENGTH_BASE = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> LENGTH_EXTRA = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> DISTANCE_BASE = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> DISTANCE_EXTRA = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of the code-length code.
constexpr std::array<std::uint8_t, 19> LENGTH_CODE_ORDER = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                            11, 4,  12, 3, 13, 2, 14, 1, 15};
// The code-length symbols past the lengths themselves: 16 repeats the last
// length 3-6 times, 17 writes 3-10 zeros, 18 writes 11-138 zeros.
constexpr int REPEAT_LAST = 16;
constexpr int SHORT_ZEROS = 17;
constexpr int LONG_ZEROS = 18;

// Index of the length code (symbol - 257) of a match length 3-258.
std::size_t LengthCode(std::size_t length) {
  const std::size_t above = length - MIN_MATCH;
  if (above < 8) return above;
  if (length == MAX_MATCH) return 28;
  const int bits = std::bit_width(above);  // 4 to 8
  return 4 * static_cast<std::size_t>(bits - 2) + ((above >> (bits - 3)) & 3);
}

// The distance code of a distance 1-32768.
std::size_t DistanceCode(std::size_t distance) {
  const std::size_t above = distance - 1;
  if (above < 4) return above;
  const int bits = std::bit_width(above);  // 3 to 15
  return 2 * static_cast<std::size_t>(bits - 1) + ((above >> (bits - 2)) & 1);
}

struct Code {
  std::vector<std::uint8_t> lengths;
  std::vector<std::uint16_t> codes;  // bit-reversed
};

Code CodeOf(std::vector<std::uint8_t> lengths) {
  Code code;
  code.codes = CanonicalCodes(lengths);
  code.lengths = std::move(lengths);
  return code;
}

struct BlockCodes {
  Code literals;
  Code distances;
};

BlockCodes FixedCodes() {
  std::vector<std::uint8_t> literals(FIXED_LITERAL_CODES, 8);
  std::fill(literals.begin() + 144, literals.begin() + 256, 9);
  std::fill(literals.begin() + 256, literals.begin() + 280, 7);
  return {CodeOf(std::move(literals)), CodeOf(std::vector<std::uint8_t>(FIXED_DISTANCE_CODES, 5))};
}

struct SymbolCounts {
  std::vector<std::uint32_t> literals = std::vector<std::uint32_t>(LITERAL_CODES, 0);
  std::vector<std::uint32_t> distances = std::vector<std::uint32_t>(DISTANCE_CODES, 0);
  std::uint64_t extraBits = 0;  // of the lengths and distances, the same under any code
};

SymbolCounts CountSymbols(std::span<const LzToken> tokens) {
  SymbolCounts counts;
  for (const LzToken& token : tokens) {
    if (token.distance == 0) {
      ++counts.literals[token.lengthOrByte];
      continue;
    }
    const std::size_t length = LengthCode(token.lengthOrByte);
    const std::size_t distance = DistanceCode(token.distance);
    ++counts.literals[FIRST_LENGTH_CODE + length];
    ++counts.distances[distance];
    counts.extraBits += LENGTH_EXTRA[length] + DISTANCE_EXTRA[distance];
  }
  counts.literals[END_OF_BLOCK] = 1;
  return counts;
}

std::uint64_t DataBits(const BlockCodes& codes, const SymbolCounts& counts) {
  std::uint64_t bits = counts.extraBits;
  for (std::size_t symbol = 0; symbol < LITERAL_CODES; ++symbol) {
    bits += std::uint64_t{counts.literals[symbol]} * codes.literals.lengths.at(symbol);
  }
  for (std::size_t symbol = 0; symbol < DISTANCE_CODES; ++symbol) {
    bits += std::uint64_t{counts.distances[symbol]} * codes.distances.lengths.at(symbol);
  }
  return bits;
}

// One symbol of the code-length code with the value of its extra bits.
struct LengthSymbol {
  std::uint8_t symbol = 0;
  std::uint8_t extra = 0;
};

void AddZeroRun(std::vector<LengthSymbol>& symbols, std::size_t run) {
  for (; run >= 11; run -= std::min<std::size_t>(run, 138)) {
    symbols.push_back(
        {LONG_ZEROS, static_cast<std::uint8_t>(std::min<std::size_t>(run, 138) - 11)});
  }
  if (run >= 3) {
    symbols.push_back({SHORT_ZEROS, static_cast<std::uint8_t>(run - 3)});
  } else {
    symbols.insert(symbols.end(), run, LengthSymbol{0, 0});
  }
}

void AddLengthRun(std::vector<LengthSymbol>& symbols, std::uint8_t length, std::size_t run) {
  symbols.push_back({length, 0});
  for (--run; run >= 3; run -= std::min<std::size_t>(run, 6)) {
    symbols.push_back({REPEAT_LAST, static_cast<std::uint8_t>(std::min<std::size_t>(run, 6) - 3)});
  }
  symbols.insert(symbols.end(), run, LengthSymbol{length, 0});
}

// The lengths of both codes, one list as a dynamic block stores them.
std::vector<LengthSymbol> LengthSymbols(std::span<const std::uint8_t> lengths) {
  std::vector<LengthSymbol> symbols;
  for (std::size_t start = 0; start < lengths.size();) {
    std::size_t end = start + 1;
    while (end < lengths.size() && lengths[end] == lengths[start]) ++end;
    if (lengths[start] == 0) {
      AddZeroRun(symbols, end - start);
    } else {
      AddLengthRun(symbols, lengths[start], end - start);
    }
    start = end;
  }
  return symbols;
}

int ExtraBitsOf(int lengthSymbol) {
  switch (lengthSymbol) {
    case REPEAT_LAST:
      return 2;
    case SHORT_ZEROS:
      return 3;
    case LONG_ZEROS:
      return 7;
    default:
      return 0;
  }
}

// A dynamic block's codes and the header that describes them.
struct DynamicBlock {
  BlockCodes codes;
  std::size_t literalCount = 0;   // lengths stored: at least 257
  std::size_t distanceCount = 0;  // at least 1
  std::vector<LengthSymbol> header;
  Code lengthCode;
  std::size_t lengthCodeCount = 0;  // at least 4, in LENGTH_CODE_ORDER
};

std::size_t UsedPrefix(std::span<const std::uint8_t> lengths, std::size_t least) {
  std::size_t count = lengths.size();
  while (count > least && lengths[count - 1] == 0) --count;
  return count;
}

DynamicBlock PlanDynamicBlock(const SymbolCounts& counts) {
  DynamicBlock block;
  block.codes.literals = CodeOf(CodeLengths(counts.literals, MAX_BITS));
  block.codes.distances = CodeOf(CodeLengths(counts.distances, MAX_BITS));
  block.literalCount = UsedPrefix(block.codes.literals.lengths, 257);
  block.distanceCount = UsedPrefix(block.codes.distances.lengths, 1);
  std::vector<std::uint8_t> lengths(
      block.codes.literals.lengths.begin(),
      block.codes.literals.lengths.begin() + static_cast<std::ptrdiff_t>(block.literalCount));
  lengths.insert(
      lengths.end(), block.codes.distances.lengths.begin(),
      block.codes.distances.lengths.begin() + static_cast<std::ptrdiff_t>(block.distanceCount));
  block.header = LengthSymbols(lengths);
  std::vector<std::uint32_t> symbolCounts(LENGTH_CODE_ORDER.size(), 0);
  for (const LengthSymbol& symbol : block.header) ++symbolCounts.at(symbol.symbol);
  block.lengthCode = CodeOf(CodeLengths(symbolCounts, MAX_LENGTH_CODE_BITS));
  block.lengthCodeCount = LENGTH_CODE_ORDER.size();
  while (block.lengthCodeCount > 4 &&
         block.lengthCode.lengths.at(LENGTH_CODE_ORDER[block.lengthCodeCount - 1]) == 0) {
    --block.lengthCodeCount;
  }
  return block;
}

std::uint64_t HeaderBits(const DynamicBlock& block) {
  std::uint64_t bits = 5 + 5 + 4 + 3 * block.lengthCodeCount;
  for (const LengthSymbol& symbol : block.header) {
    bits += block.lengthCode.lengths.at(symbol.symbol) + ExtraBitsOf(symbol.symbol);
  }
  return bits;
}

void PutSymbol(BitWriter& out, const Code& code, std::size_t symbol) {
  PutBits(out, code.codes.at(symbol), code.lengths.at(symbol));
}

void WriteDynamicHeader(BitWriter& out, const DynamicBlock& block) {
  PutBits(out, static_cast<std::uint32_t>(block.literalCount - 257), 5);
  PutBits(out, static_cast<std::uint32_t>(block.distanceCount - 1), 5);
  PutBits(out, static_cast<std::uint32_t>(block.lengthCodeCount - 4), 4);
  for (std::size_t index = 0; index < block.lengthCodeCount; ++index) {
    PutBits(out, block.lengthCode.lengths.at(LENGTH_CODE_ORDER[index]), 3);
  }
  for (const LengthSymbol& symbol : block.header) {
    PutSymbol(out, block.lengthCode, symbol.symbol);
    PutBits(out, symbol.extra, ExtraBitsOf(symbol.symbol));
  }
}

void WriteTokens(BitWriter& out, const BlockCodes& codes, std::span<const LzToken> tokens) {
  for (const LzToken& token : tokens) {
    if (token.distance == 0) {
      PutSymbol(out, codes.literals, token.lengthOrByte);
      continue;
    }
    const std::size_t length = LengthCode(token.lengthOrByte);
    PutSymbol(out, codes.literals, FIRST_LENGTH_CODE + length);
    PutBits(out, token.lengthOrByte - LENGTH_BASE[length], LENGTH_EXTRA[length]);
    const std::size_t distance = DistanceCode(token.distance);
    PutSymbol(out, codes.distances, distance);
    PutBits(out, token.distance - DISTANCE_BASE[distance], DISTANCE_EXTRA[distance]);
  }
  PutSymbol(out, codes.literals, END_OF_BLOCK);
}

std::size_t StoredChunks(std::size_t size) {
  return std::max<std::size_t>(1, (size + STORED_MAX - 1) / STORED_MAX);
}

// Each chunk: the three header bits, padding to the byte, LEN and NLEN.
std::uint64_t StoredBits(const BitWriter& out, std::size_t size) {
  const std::uint64_t firstPadding = (8 - (out.pendingCount + 3) % 8) % 8;
  return firstPadding + 32 * StoredChunks(size) + 8 * (StoredChunks(size) - 1) + 3 + 8 * size;
}

void WriteStored(BitWriter& out, std::span<const std::uint8_t> bytes, bool lastBlock) {
  const std::size_t chunks = StoredChunks(bytes.size());
  for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
    const std::span<const std::uint8_t> part =
        bytes.subspan(chunk * STORED_MAX, std::min(STORED_MAX, bytes.size() - chunk * STORED_MAX));
    PutBits(out, lastBlock && chunk + 1 == chunks ? 1 : 0, 3);  // BTYPE 00
    AlignToByte(out);
    const auto size = static_cast<std::uint16_t>(part.size());
    for (const std::uint16_t field : {size, static_cast<std::uint16_t>(~size)}) {
      out.bytes.push_back(static_cast<std::uint8_t>(field));
      out.bytes.push_back(static_cast<std::uint8_t>(field >> 8));
    }
    out.bytes.insert(out.bytes.end(), part.begin(), part.end());
  }
}

enum class BlockType : std::uint32_t { STORED = 0, FIXED = 1, DYNAMIC = 2 };

struct BlockPlan {
  BlockType type = BlockType::STORED;
  DynamicBlock dynamic;
};

// The smallest form of the block of `tokens`, which stand for `size` bytes.
BlockPlan PlanBlock(const BitWriter& out, const BlockCodes& fixed, std::span<const LzToken> tokens,
                    std::size_t size) {
  const SymbolCounts counts = CountSymbols(tokens);
  BlockPlan plan;
  plan.dynamic = PlanDynamicBlock(counts);
  const std::uint64_t dynamicBits = HeaderBits(plan.dynamic) + DataBits(plan.dynamic.codes, counts);
  const std::uint64_t fixedBits = DataBits(fixed, counts);
  if (StoredBits(out, size) > 3 + std::min(dynamicBits, fixedBits)) {
    plan.type = dynamicBits < fixedBits ? BlockType::DYNAMIC : BlockType::FIXED;
  }
  return plan;
}

void WriteCompressed(BitWriter& out, const BlockPlan& plan, const BlockCodes& fixed,
                     std::span<const LzToken> tokens, bool lastBlock) {
  PutBits(out, (lastBlock ? 1u : 0u) | static_cast<std::uint32_t>(plan.type) << 1, 3);
  if (plan.type == BlockType::DYNAMIC) {
    WriteDynamicHeader(out, plan.dynamic);
    WriteTokens(out, plan.dynamic.codes, tokens);
  } else {
    WriteTokens(out, fixed, tokens);
  }
}

}  // namespace

ByteList Deflate(std::span<const std::uint8_t> input) {
  const BlockCodes fixed = FixedCodes();
  MatchFinder finder = StartMatching(input);
  BitWriter out;
  out.bytes.reserve(input.size() / 8 + 64);
  std::vector<LzToken> tokens;
  tokens.reserve(BLOCK_TOKENS + MAX_MATCH);
  // Blocks that are best stored wait, so that a run of them goes out as
  // stored blocks of the largest size: the input from `unwritten` on.
  std::size_t unwritten = 0;
  bool lastBlock = false;
  while (!lastBlock) {
    const std::size_t start = finder.position;
    tokens.clear();
    NextTokens(finder, tokens, BLOCK_TOKENS);
    lastBlock = finder.position == input.size();
    const BlockPlan plan = PlanBlock(out, fixed, tokens, finder.position - start);
    if (plan.type != BlockType::STORED) {
      if (unwritten < start) WriteStored(out, input.subspan(unwritten, start - unwritten), false);
      WriteCompressed(out, plan, fixed, tokens, lastBlock);
      unwritten = finder.position;
    } else if (lastBlock) {
      WriteStored(out, input.subspan(unwritten), true);
    }
  }
  AlignToByte(out);
  return std::move(out.bytes);
}
