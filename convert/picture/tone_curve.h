#pragma once

#include "common/simd_level.h"

#include <cstdint>
#include <vector>

// The end of the tone mapping, pixel by pixel, on linear BT.709 light with HDR reference white at 1:
// the Möbius curve on the brightest component (0.6 of reference white and below kept as they are,
// brighter light rolled off towards the peak) scaling all three alike, then the BT.709 transfer
// to 8 bits. The curve is the `tonemap` filter's, in the same single-precision steps; the transfer is
// a table of what zimg makes of linear light, so the pictures are those of the README's chain.
struct ToneCurve {
    // The curve for content of `peak` times reference white; `levels` from TransferLevels.
    ToneCurve(double peak, const std::vector<std::int32_t>& levels);

    float knee = 0.6f;  // light up to here is kept as it is
    float lift = 0;     // the curve above the knee: numerator * (x + lift) / (x + bend)
    float bend = 0;
    float numerator = 0;
    const std::int32_t* levels = nullptr;
};

// The transfer table's samples: linear light from 2^-kOctaves to 1, kStepsPerOctave samples to an
// octave, spaced evenly within each (as the bits of a float are). A value takes the nearest sample:
// within 1/2048 of itself, so its 8-bit level is off by one at most, and only next to a rounding edge.
namespace TransferTable {
constexpr int kOctaves = 24;
constexpr int kStepBits = 10;
constexpr int kMantissaShift = 23 - kStepBits;
constexpr int kSize = (kOctaves << kStepBits) + 1;
// Sample `index` of the table, as linear light.
float SampleAt(int index);
}  // namespace TransferTable

// Writes `count` pixels of linear red, green and blue rows as tone-mapped packed BGR.
struct ToneCurveKernels {
    void (*mapRow)(const ToneCurve& curve, const float* red, const float* green, const float* blue, int count,
        std::uint8_t* bgr);
};

const ToneCurveKernels& ToneCurveKernelsFor(SimdLevel level);
