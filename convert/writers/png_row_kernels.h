#pragma once

#include "convert/writers/huffman_zlib.h"
#include "convert/writers/png_filter_rows.h"

#include <cstddef>
#include <cstdint>

// The inner loops of PNG row filtering, once in portable code and once for each vector level; the
// row loop around them is shared. Every version gives the same results.
//
// Rows of RGB samples handed to them are readable kRowPadBefore bytes before their first sample,
// which are zero (nothing is left of the first pixel), and kRowSlack bytes after their last, whose
// values do not matter; a row they write has the same slack.
inline constexpr std::size_t kRowPadBefore = 3;
inline constexpr std::size_t kRowSlack = 64;

struct PngRowKernels {
    // Writes a row of `bytes` BGR samples as RGB.
    void (*toRgb)(const std::uint8_t* bgr, std::uint8_t* rgb, std::size_t bytes);
    // Writes the row (RGB, below `above`) under every filter, to candidates[filter], and adds each
    // filter's residuals, read as signed bytes, in absolute value to sums[filter].
    void (*filterAll)(const std::uint8_t* rgb, const std::uint8_t* above, std::size_t bytes,
        std::uint8_t* const* candidates, std::uint64_t* sums);
    // Sets bit j % 64 of words[j / 64] where row[j] is zero, for j in [0, bytes) and beyond, up to the
    // end of the last word (those bits are for the caller to clear).
    void (*zeroMask)(const std::uint8_t* row, std::size_t bytes, std::uint64_t* words);
};

const PngRowKernels& PortablePngRowKernels();
// Only for a processor that runs AVX2.
const PngRowKernels& Avx2PngRowKernels();

// The prediction of the Paeth filter from the sample to the left, the one above and the one above
// that: whichever is nearest their gradient estimate left + above - above-left.
inline std::uint8_t PaethPrediction(int left, int above, int aboveLeft)
{
    const int leftDistance = above > aboveLeft ? above - aboveLeft : aboveLeft - above;
    const int aboveDistance = left > aboveLeft ? left - aboveLeft : aboveLeft - left;
    const int gradient = left + above - 2 * aboveLeft;
    const int cornerDistance = gradient < 0 ? -gradient : gradient;
    if (leftDistance <= aboveDistance && leftDistance <= cornerDistance)
        return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(aboveDistance <= cornerDistance ? above : aboveLeft);
}
