#include "convert/picture/depth_reduction.h"

#include <algorithm>

namespace {

struct SampleScale {
    int depth;
    int from;
    int scale;
    int centre;
};

constexpr int ExactlyRounded(SampleScale s, int v)
{
    const long long scaled = 2LL * ((v - s.from) * 255LL + static_cast<long long>(s.centre) * s.scale);
    const long long rounded = scaled >= 0 ? (scaled + s.scale) / (2LL * s.scale) : -((-scaled + s.scale) / (2LL * s.scale));
    return static_cast<int>(std::clamp<long long>(rounded, 0, 255));
}

constexpr bool ReducesExactly(DepthReduction reduction, SampleScale s)
{
    for (int v = 0; v < (1 << s.depth); ++v) {
        if (reduction(static_cast<std::uint16_t>(v)) != ExactlyRounded(s, v))
            return false;
    }
    return true;
}

// The finest shift, with a multiplier and rounding offset near the exact ones, that gives every sample
// exactly and cannot overflow 32 bits.
constexpr DepthReduction FindReduction(SampleScale s)
{
    for (int shift = 24; shift > 8; --shift) {
        const long long one = 1LL << shift;
        for (const long long off : {0, 1, -1}) {
            const long long multiplier = (255 * one + s.scale / 2) / s.scale + off;
            const long long base = (static_cast<long long>(s.from) * 255 * one) / s.scale - s.centre * one - one / 2;
            for (long long nudge = -3; nudge <= 3; ++nudge) {
                const long long top = ((1LL << s.depth) - 1) * multiplier - (base + nudge);
                if (top >= (1LL << 31) || base + nudge >= (1LL << 31) || base + nudge < -(1LL << 31))
                    continue;
                const DepthReduction candidate{static_cast<std::int32_t>(multiplier), static_cast<std::int32_t>(base + nudge), shift,
                    static_cast<std::uint16_t>((1 << s.depth) - 1)};
                if (ReducesExactly(candidate, s))
                    return candidate;
            }
        }
    }
    return {};
}

constexpr DepthReductions ReductionsFor(int depth, bool fullRange)
{
    const int step = 1 << (depth - 8);
    const int top = (1 << depth) - 1;
    if (fullRange)
        return {FindReduction({depth, 0, top, 0}), FindReduction({depth, 128 * step, top, 128})};
    return {FindReduction({depth, 16 * step, 219 * step, 0}), FindReduction({depth, 128 * step, 224 * step, 128})};
}

// Every depth and range the planes are taken in, each proven exact.
constexpr DepthReductions kReductions[3][2] = {{ReductionsFor(9, false), ReductionsFor(9, true)},
    {ReductionsFor(10, false), ReductionsFor(10, true)}, {ReductionsFor(12, false), ReductionsFor(12, true)}};
static_assert(std::ranges::all_of(kReductions, [](const auto& depth) {
    return std::ranges::all_of(depth, [](const DepthReductions& r) { return r.luma.shift != 0 && r.chroma.shift != 0; });
}));

void ReduceRowPortable(const DepthReduction& reduction, const std::uint16_t* __restrict in, std::uint8_t* __restrict out, int count)
{
    for (int x = 0; x < count; ++x)
        out[x] = reduction(in[x]);
}

}  // namespace

const DepthReductions& ReductionsOf(int depth, bool fullRange)
{
    return kReductions[depth == 9 ? 0 : depth == 10 ? 1 : 2][fullRange ? 1 : 0];
}

const DepthReductionKernels& Avx2DepthReductionKernels();

const DepthReductionKernels& DepthReductionKernelsFor(SimdLevel level)
{
    static constexpr DepthReductionKernels portable{ReduceRowPortable};
    return level == SimdLevel::kAvx2 && CanRun(SimdLevel::kAvx2) ? Avx2DepthReductionKernels() : portable;
}
