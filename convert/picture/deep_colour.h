#pragma once

#include "common/simd_level.h"

#include <algorithm>
#include <cstdint>

// How swscale turns 9- to 14-bit YUV of even width into 24-bit BGR at the picture's own size (bicubic,
// the colours set from the picture) on x86, written out so that our vector code makes its very bytes:
// samples in 15-bit steps, each filter tap and each matrix step a signed 16-bit multiply keeping the
// high half, sums wrapping in 16 bits, and the components saturated to 8 bits. A sample above the depth
// (a damaged stream's) counts as the largest.
struct DeepColour {
    // The matrix (coefficients as sws_getCoefficients gives them) and range, for samples of `depth` bits.
    DeepColour(const int coefficients[4], bool fullRange, int depth);

    int up = 0;  // samples to 15-bit steps: << up
    std::int16_t lumaOffset = 0;
    std::int16_t lumaGain = 0;
    std::int16_t blueU = 0;
    std::int16_t greenU = 0;
    std::int16_t greenV = 0;
    std::int16_t redV = 0;

    static constexpr std::int16_t kRounding = 4;       // added to every filtered sample
    static constexpr std::int16_t kChromaZero = 1024;  // grey chroma, filtered
    static constexpr std::int16_t kWholeTap = 4096;    // a filter tap of one

    static constexpr std::int16_t High(std::int32_t a, std::int32_t b)
    {
        return static_cast<std::int16_t>((static_cast<std::int16_t>(a) * static_cast<std::int16_t>(b)) >> 16);
    }
    constexpr std::int32_t Steps(std::uint16_t sample) const { return std::min<std::int32_t>(sample, 32767 >> up) << up; }
};

// A vertical chroma filter row, a row of pixels from filtered chroma; every level gives the same bytes.
struct DeepColourKernels {
    // out[x] = rounding + the sum over taps of High(Steps(rows[j][x]), taps[j]), for `count` samples.
    void (*filterChroma)(const DeepColour& colour, const std::uint16_t* const* rows, const std::int16_t* taps, int tapCount,
        int count, std::int16_t* out);
    // `width` (even) pixels of one row as BGR: luma samples, filtered chroma one for every two pixels.
    void (*convertRow)(const DeepColour& colour, const std::uint16_t* luma, const std::int16_t* u, const std::int16_t* v,
        int width, std::uint8_t* bgr);
};

const DeepColourKernels& DeepColourKernelsFor(SimdLevel level);

// The portable kernels' sample and pixels, for the ends of vector rows.
inline std::int16_t DeepColourChroma(const DeepColour& c, const std::uint16_t* const* rows, const std::int16_t* taps, int tapCount, int x)
{
    std::int16_t sum = DeepColour::kRounding;
    for (int j = 0; j < tapCount; ++j)
        sum = static_cast<std::int16_t>(sum + DeepColour::High(c.Steps(rows[j][x]), taps[j]));
    return sum;
}

inline void DeepColourPixels(const DeepColour& c, const std::uint16_t* luma, std::int16_t filteredU, std::int16_t filteredV,
    int count, std::uint8_t* bgr)
{
    using D = DeepColour;
    const auto u = static_cast<std::int16_t>(filteredU - D::kChromaZero);
    const auto v = static_cast<std::int16_t>(filteredV - D::kChromaZero);
    const std::int16_t blue = D::High(u, c.blueU);
    const auto green = static_cast<std::int16_t>(D::High(u, c.greenU) + D::High(v, c.greenV));
    const std::int16_t red = D::High(v, c.redV);
    for (int i = 0; i < count; ++i) {
        const auto y = static_cast<std::int16_t>(D::kRounding + D::High(c.Steps(luma[i]), D::kWholeTap));
        const std::int16_t scaled = D::High(static_cast<std::int16_t>(y - c.lumaOffset), c.lumaGain);
        const auto level = [scaled](std::int16_t offset) {
            return static_cast<std::uint8_t>(std::clamp<int>(static_cast<std::int16_t>(scaled + offset), 0, 255));
        };
        bgr[3 * i] = level(blue);
        bgr[3 * i + 1] = level(green);
        bgr[3 * i + 2] = level(red);
    }
}
