#include "convert/picture/deep_colour.h"

namespace {

// swscale's rounding of a 16.16 coefficient times 8192 to 16 bits.
std::int16_t Coefficient(std::int64_t value)
{
    const std::int64_t rounded = (value * 8192 + (1 << 15)) >> 16;
    return static_cast<std::int16_t>(rounded < -0x7FFF ? -0x8000 : std::min<std::int64_t>(rounded, 0x7FFF));
}

void FilterChromaPortable(const DeepColour& colour, const std::uint16_t* const* rows, const std::int16_t* taps, int tapCount,
    int count, std::int16_t* __restrict out)
{
    for (int x = 0; x < count; ++x)
        out[x] = DeepColourChroma(colour, rows, taps, tapCount, x);
}

void ConvertRowPortable(const DeepColour& colour, const std::uint16_t* luma, const std::int16_t* u, const std::int16_t* v,
    int width, std::uint8_t* bgr)
{
    for (int x = 0; x < width; x += 2)
        DeepColourPixels(colour, luma + x, u[x / 2], v[x / 2], 2, bgr + 3 * x);
}

}  // namespace

DeepColour::DeepColour(const int coefficients[4], bool fullRange, int depth) : up(15 - depth)
{
    std::int64_t red = coefficients[0];
    std::int64_t blue = coefficients[1];
    std::int64_t green = -coefficients[2];
    std::int64_t greenOfV = -coefficients[3];
    std::int64_t gain = 1 << 16;
    std::int64_t offset = 0;
    if (fullRange) {
        red = red * 224 / 255;
        blue = blue * 224 / 255;
        green = green * 224 / 255;
        greenOfV = greenOfV * 224 / 255;
    } else {
        gain = gain * 255 / 219;
        offset = 16 << 16;
    }
    lumaGain = Coefficient(gain);
    lumaOffset = static_cast<std::int16_t>((offset * 8 + (1 << 15)) >> 16);
    redV = Coefficient(red);
    blueU = Coefficient(blue);
    greenU = Coefficient(green);
    greenV = Coefficient(greenOfV);
}

const DeepColourKernels& Avx2DeepColourKernels();

const DeepColourKernels& DeepColourKernelsFor(SimdLevel level)
{
    static constexpr DeepColourKernels portable{FilterChromaPortable, ConvertRowPortable};
    return level == SimdLevel::kAvx2 && CanRun(SimdLevel::kAvx2) ? Avx2DeepColourKernels() : portable;
}
