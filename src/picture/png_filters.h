// The rows of a PNG picture as its image data holds them before compression:
// each row a filter type byte, then the row's bytes as that filter predicts
// them from the bytes to their left and above.
#pragma once

#include "picture/png.h"
#include "rom/byte_list.h"

// Each row with the filter (none, sub, up, average or Paeth) whose bytes,
// read as signed values, add up to the least magnitude: the row that
// compresses best, as a rule. `picture` holds width x height x 3 bytes.
ByteList FilteredRows(const Picture& picture);
