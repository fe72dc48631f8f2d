#include "picture/huffman.h"

#include <algorithm>
#include <array>

namespace {

constexpr int MAX_CODE_BITS = 15;

// The depth of each leaf in a Huffman tree for `weights` (ascending, at
// least two): two queues, the leaves and the merged nodes, whose fronts are
// always the two lightest.
std::vector<int> HuffmanDepths(std::span<const std::uint64_t> weights) {
  const std::size_t leaves = weights.size();
  std::vector<std::uint64_t> nodeWeight(leaves - 1);
  std::vector<std::size_t> parent(2 * leaves - 1, 0);  // leaves first, then the nodes
  std::size_t nextLeaf = 0;
  std::size_t nextNode = 0;
  auto takeLightest = [&](std::size_t made) {
    if (nextLeaf < leaves && (nextNode == made || weights[nextLeaf] <= nodeWeight[nextNode])) {
      return nextLeaf++;
    }
    return leaves + nextNode++;
  };
  auto weightOf = [&](std::size_t index) {
    return index < leaves ? weights[index] : nodeWeight[index - leaves];
  };
  for (std::size_t made = 0; made + 1 < leaves; ++made) {
    const std::size_t first = takeLightest(made);
    const std::size_t second = takeLightest(made);
    nodeWeight[made] = weightOf(first) + weightOf(second);
    parent[first] = leaves + made;
    parent[second] = leaves + made;
  }
  // The root is the last node made; every parent comes after its children.
  std::vector<int> depth(2 * leaves - 1, 0);
  for (std::size_t index = 2 * leaves - 2; index-- > 0;) {
    depth[index] = depth[parent[index]] + 1;
  }
  depth.resize(leaves);
  return depth;
}

// How many leaves have each length once none is longer than `maxBits`: the
// longer ones are cut to `maxBits`, then leaves are moved down from shorter
// lengths until the lengths again make a complete code.
std::array<int, MAX_CODE_BITS + 1> LimitedLengthCounts(std::span<const int> depths, int maxBits) {
  std::array<int, MAX_CODE_BITS + 1> counts{};
  for (const int depth : depths) ++counts[static_cast<std::size_t>(std::min(depth, maxBits))];
  std::uint32_t kraft = 0;  // in units of 2^-maxBits
  for (int bits = 1; bits <= maxBits; ++bits) {
    kraft += static_cast<std::uint32_t>(counts[bits]) << (maxBits - bits);
  }
  for (; kraft > (std::uint32_t{1} << maxBits); --kraft) {
    // One leaf at maxBits goes; a shorter leaf becomes a node with it and
    // another as children: the sum falls by one unit.
    --counts[maxBits];
    for (int bits = maxBits - 1; bits > 0; --bits) {
      if (counts[bits] > 0) {
        --counts[bits];
        counts[bits + 1] += 2;
        break;
      }
    }
  }
  return counts;
}

}  // namespace

std::vector<std::uint8_t> CodeLengths(std::span<const std::uint32_t> counts, int maxBits) {
  std::vector<std::size_t> used;  // the symbols with a count, least used first
  for (std::size_t symbol = 0; symbol < counts.size(); ++symbol) {
    if (counts[symbol] != 0) used.push_back(symbol);
  }
  for (std::size_t symbol = 0; used.size() < 2 && symbol < counts.size(); ++symbol) {
    if (counts[symbol] == 0) used.insert(used.begin(), symbol);
  }
  std::stable_sort(used.begin(), used.end(),
                   [&](std::size_t a, std::size_t b) { return counts[a] < counts[b]; });
  std::vector<std::uint64_t> weights;
  for (const std::size_t symbol : used) weights.push_back(counts[symbol]);

  const std::array<int, MAX_CODE_BITS + 1> lengthCounts =
      LimitedLengthCounts(HuffmanDepths(weights), maxBits);
  // The longest codes to the least used symbols.
  std::vector<std::uint8_t> lengths(counts.size(), 0);
  std::size_t next = 0;
  for (int bits = maxBits; bits > 0; --bits) {
    for (int count = 0; count < lengthCounts[bits]; ++count) {
      lengths.at(used.at(next++)) = static_cast<std::uint8_t>(bits);
    }
  }
  return lengths;
}

std::vector<std::uint16_t> CanonicalCodes(std::span<const std::uint8_t> lengths) {
  std::array<std::uint32_t, MAX_CODE_BITS + 1> lengthCount{};
  for (const std::uint8_t length : lengths) ++lengthCount.at(length);
  lengthCount[0] = 0;
  // Codes of one length are consecutive, in symbol order, after those of
  // every shorter length.
  std::array<std::uint32_t, MAX_CODE_BITS + 1> nextCode{};
  std::uint32_t code = 0;
  for (int bits = 1; bits <= MAX_CODE_BITS; ++bits) {
    code = (code + lengthCount[bits - 1]) << 1;
    nextCode[bits] = code;
  }
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    const std::uint32_t value = nextCode[length]++;
    std::uint32_t reversed = 0;
    for (int bit = 0; bit < length; ++bit) reversed |= ((value >> bit) & 1u) << (length - 1 - bit);
    codes[symbol] = static_cast<std::uint16_t>(reversed);
  }
  return codes;
}
