#pragma once

#include "common/file_bytes.h"
#include "convert/picture/packed_dib.h"
#include "convert/writers/huffman_zlib.h"
#include "common/simd_level.h"

#include <cstdint>
#include <vector>

// PNG's five filters, by the numbers the format gives them.
enum class PngFilter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth };
inline constexpr int kPngFilters = 5;

// A picture as PNG's image data holds it before compression: for each row, top row first, the
// number of its filter, then its RGB samples less the filter's prediction (modulo 256).
struct FilteredRows {
    FileBytes bytes;
    // The runs of zeros within rows (never across a filter number), in order, as offsets into `bytes`.
    std::vector<ZeroRun> zeroRuns;
};

// Fills `out` with the frame's rows, each under the filter whose residuals, read as signed bytes,
// add up to the least in absolute value (on a tie, the lower number). A cheap stand-in for the
// coded size: on video frames it picks within a percent of the sizes that coding every filter
// would find. `level` changes only the speed, never the bytes.
void FilterRows(const PackedDib& frame, SimdLevel level, FilteredRows& out);
