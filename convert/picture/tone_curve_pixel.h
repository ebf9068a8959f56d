#pragma once

#include "convert/picture/tone_curve.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

// One pixel of the tone curve, for the portable kernel and the ends of vector rows: every step is the
// one the vector kernel takes, so both give the same bytes.

// The 8-bit level of linear light `v`: 0 below the table, else its nearest sample.
inline std::int32_t TransferLevel(const ToneCurve& curve, float v)
{
    using namespace TransferTable;
    constexpr float kLowest = 1.0f / (1 << kOctaves);
    const float clamped = std::min(v, 1.0f);
    if (!(clamped >= kLowest))
        return 0;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(clamped) + (1u << (kMantissaShift - 1));
    const auto index = static_cast<std::int32_t>((bits >> kMantissaShift) - (std::bit_cast<std::uint32_t>(kLowest) >> kMantissaShift));
    return curve.levels[index];
}

inline void ToneMapPixel(const ToneCurve& curve, float red, float green, float blue, std::uint8_t* bgr)
{
    // The brightest component, as the tonemap filter picks it, sets one scale for all three.
    const float brightest = std::max(std::max(std::max(red, green), blue), 1e-6f);
    float mapped = brightest;
    if (brightest > curve.knee)
        mapped = curve.numerator * (brightest + curve.lift) / (brightest + curve.bend);
    const float scale = mapped / brightest;
    bgr[0] = static_cast<std::uint8_t>(TransferLevel(curve, blue * scale));
    bgr[1] = static_cast<std::uint8_t>(TransferLevel(curve, green * scale));
    bgr[2] = static_cast<std::uint8_t>(TransferLevel(curve, red * scale));
}
