#pragma once

#include "common/simd_level.h"

#include <algorithm>
#include <cstdint>

// Samples of 9 to 12 bits to JPEG's 8-bit full range in one rounding: (v - from) * 255 / scale + centre,
// halves away from zero, where limited range puts black (or grey chroma) at `from` and the full swing
// across `scale`: a multiply, a subtraction and a shift in 32-bit lanes, with constants searched for at
// compile time and proven exact on every sample. A sample above the depth's largest (a damaged
// stream's) counts as the largest, as swscale saturates it, and cannot overflow the multiply.
struct DepthReduction {
    std::int32_t multiplier = 0;
    std::int32_t subtrahend = 0;
    int shift = 0;
    std::uint16_t top = 0;  // the depth's largest sample
    constexpr std::uint8_t operator()(std::uint16_t v) const
    {
        const std::int32_t sample = std::min(v, top);
        return static_cast<std::uint8_t>(std::min(std::max((sample * multiplier - subtrahend) >> shift, 0), 255));
    }
};

// Luma and chroma of one bit depth in one range.
struct DepthReductions {
    DepthReduction luma;
    DepthReduction chroma;
};

// The reductions of 9, 10 or 12 bits in one range.
const DepthReductions& ReductionsOf(int depth, bool fullRange);

// Reduces a row of `count` samples into `out`; every level gives the same bytes.
struct DepthReductionKernels {
    void (*reduceRow)(const DepthReduction& reduction, const std::uint16_t* in, std::uint8_t* out, int count);
};

const DepthReductionKernels& DepthReductionKernelsFor(SimdLevel level);
