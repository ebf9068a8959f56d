#pragma once

#include "convert/picture/packed_dib.h"

#include <limits>

// Throws Failure unless `frame` holds uncompressed 24-bit rows, bottom-up, at least 1 x 1, with every
// row present, and no side longer than `maxSide` (the format's own limit). Encoders that read the
// rows pixel by pixel call this first, so a malformed frame is a reported failure, not a wild read.
void RequireBgr24Frame(const PackedDib& frame, int maxSide = std::numeric_limits<int>::max());
