#include "convert/picture/tone_curve.h"

#include "convert/picture/tone_curve_pixel.h"

#include <algorithm>
#include <bit>

namespace TransferTable {

float SampleAt(int index)
{
    const std::uint32_t lowest = std::bit_cast<std::uint32_t>(1.0f / (1 << kOctaves));
    return std::bit_cast<float>(lowest + (static_cast<std::uint32_t>(index) << kMantissaShift));
}

}  // namespace TransferTable

ToneCurve::ToneCurve(double peak, const std::vector<std::int32_t>& table) : levels(table.data())
{
    // The tonemap filter's Möbius constants, computed as it computes them: partly in double precision
    // with the peak, each kept as a float.
    const float j = knee;
    lift = static_cast<float>(-j * j * (peak - 1.0f) / (j * j - 2.0f * j + peak));
    bend = static_cast<float>((j * j - 2.0f * j * peak + peak) / std::max(peak - 1.0f, 1e-6));
    numerator = (bend * bend + 2.0f * bend * j + j * j) / (bend - lift);
}

namespace {

void MapRowPortable(const ToneCurve& curve, const float* red, const float* green, const float* blue, int count,
    std::uint8_t* bgr)
{
    for (int x = 0; x < count; ++x)
        ToneMapPixel(curve, red[x], green[x], blue[x], bgr + 3 * x);
}

}  // namespace

const ToneCurveKernels& Avx2ToneCurveKernels();

const ToneCurveKernels& ToneCurveKernelsFor(SimdLevel level)
{
    static constexpr ToneCurveKernels portable{MapRowPortable};
    return level == SimdLevel::kAvx2 && CanRun(SimdLevel::kAvx2) ? Avx2ToneCurveKernels() : portable;
}
