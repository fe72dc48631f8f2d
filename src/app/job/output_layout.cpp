#include "app/job/output_layout.h"

#include <algorithm>
#include <cstring>

std::int64_t MarkerEnd(const OutputLayout& layout) {
  return layout.base + static_cast<std::int64_t>(std::strlen(MARKER_TEXT));
}

bool CarriesMarker(const RomImage& image, const OutputLayout& layout) {
  if (layout.base < 0 || ImageSize(image) < MarkerEnd(layout)) {
    return false;
  }
  const auto start = image.bytes.begin() + layout.base;
  return std::equal(start, start + static_cast<std::ptrdiff_t>(std::strlen(MARKER_TEXT)),
                    MARKER_TEXT);
}
