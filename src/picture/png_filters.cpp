#include "picture/png_filters.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t PIXEL_BYTES = 3;
constexpr std::size_t FILTER_TYPES = 5;  // none, sub, up, average, Paeth

std::size_t RowBytes(const Picture& picture) {
  return static_cast<std::size_t>(picture.width) * PIXEL_BYTES;
}

void CheckPicture(const Picture& picture) {
  if (picture.width < 1 || picture.height < 1 ||
      picture.rgb.size() != RowBytes(picture) * static_cast<std::size_t>(picture.height)) {
    throw std::invalid_argument("a picture of " + std::to_string(picture.width) + " x " +
                                std::to_string(picture.height) + " pixels with " +
                                std::to_string(picture.rgb.size()) + " bytes");
  }
}

// Of the bytes left, above and above left, the one nearest to left + above - above left.
int Paeth(int left, int above, int aboveLeft) {
  const int estimate = left + above - aboveLeft;
  const int toLeft = std::abs(estimate - left);
  const int toAbove = std::abs(estimate - above);
  const int toAboveLeft = std::abs(estimate - aboveLeft);
  if (toLeft <= toAbove && toLeft <= toAboveLeft) return left;
  return toAbove <= toAboveLeft ? above : aboveLeft;
}

// `row` filtered into `out` (all three of one size) by `predict`, called
// with the bytes left, above and above left of each byte (0 past the left
// edge); the sum of the results' magnitudes.
template <class Predict>
std::uint64_t FilterRow(std::span<const std::uint8_t> row, std::span<const std::uint8_t> above,
                        std::span<std::uint8_t> out, Predict predict) {
  std::uint64_t magnitude = 0;
  auto put = [&](std::size_t index, int left, int aboveLeft) {
    const auto value =
        static_cast<std::uint8_t>(row[index] - predict(left, above[index], aboveLeft));
    out[index] = value;
    magnitude += value < 128 ? value : 256 - value;
  };
  const std::size_t edge = std::min(PIXEL_BYTES, row.size());
  for (std::size_t index = 0; index < edge; ++index) put(index, 0, 0);
  for (std::size_t index = edge; index < row.size(); ++index) {
    put(index, row[index - PIXEL_BYTES], above[index - PIXEL_BYTES]);
  }
  return magnitude;
}

std::uint64_t FilterRowWith(std::size_t type, std::span<const std::uint8_t> row,
                            std::span<const std::uint8_t> above, std::span<std::uint8_t> out) {
  switch (type) {
    case 0:
      return FilterRow(row, above, out, [](int, int, int) { return 0; });
    case 1:
      return FilterRow(row, above, out, [](int left, int, int) { return left; });
    case 2:
      return FilterRow(row, above, out, [](int, int up, int) { return up; });
    case 3:
      return FilterRow(row, above, out, [](int left, int up, int) { return (left + up) / 2; });
    default:
      return FilterRow(row, above, out,
                       [](int left, int up, int upLeft) { return Paeth(left, up, upLeft); });
  }
}

}  // namespace

ByteList FilteredRows(const Picture& picture) {
  CheckPicture(picture);
  const std::size_t rowBytes = RowBytes(picture);
  const std::span<const std::uint8_t> pixels(picture.rgb);
  const std::vector<std::uint8_t> zeros(rowBytes, 0);
  std::array<std::vector<std::uint8_t>, FILTER_TYPES> candidates;
  for (std::vector<std::uint8_t>& candidate : candidates) candidate.resize(rowBytes);
  ByteList rows;
  rows.reserve((rowBytes + 1) * static_cast<std::size_t>(picture.height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height); ++y) {
    const std::span<const std::uint8_t> row = pixels.subspan(y * rowBytes, rowBytes);
    const std::span<const std::uint8_t> above = y == 0
                                                    ? std::span<const std::uint8_t>(zeros)
                                                    : pixels.subspan((y - 1) * rowBytes, rowBytes);
    std::size_t best = 0;
    std::uint64_t bestMagnitude = std::numeric_limits<std::uint64_t>::max();
    for (std::size_t type = 0; type < FILTER_TYPES; ++type) {
      const std::uint64_t magnitude = FilterRowWith(type, row, above, candidates[type]);
      if (magnitude < bestMagnitude) {
        best = type;
        bestMagnitude = magnitude;
      }
    }
    rows.push_back(static_cast<std::uint8_t>(best));
    rows.insert(rows.end(), candidates[best].begin(), candidates[best].end());
  }
  return rows;
}
