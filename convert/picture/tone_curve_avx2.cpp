// The tone curve with AVX2, eight pixels at a time. Only these functions use AVX2 (no compile flag for
// the whole file), so nothing else built here can reach a processor without it.
#include "convert/picture/tone_curve.h"
#include "convert/picture/tone_curve_pixel.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define STILLPRESS_AVX2 __attribute__((target("avx2")))

namespace {

// The levels of eight values of linear light, as TransferLevel gives them.
STILLPRESS_AVX2 __m256i TransferLevels(const ToneCurve& curve, __m256 v)
{
    using namespace TransferTable;
    const __m256 lowest = _mm256_set1_ps(1.0f / (1 << kOctaves));
    // The operands in std::min's and std::max's order, so that even a NaN comes out as in TransferLevel.
    const __m256 clamped = _mm256_min_ps(_mm256_set1_ps(1.0f), v);
    const __m256 inTable = _mm256_cmp_ps(clamped, lowest, _CMP_GE_OQ);
    const __m256i bits = _mm256_add_epi32(_mm256_castps_si256(_mm256_max_ps(clamped, lowest)),
        _mm256_set1_epi32(1 << (kMantissaShift - 1)));
    const __m256i index = _mm256_sub_epi32(_mm256_srli_epi32(bits, kMantissaShift),
        _mm256_set1_epi32(static_cast<int>(std::bit_cast<std::uint32_t>(1.0f / (1 << kOctaves)) >> kMantissaShift)));
    const __m256i levels = _mm256_i32gather_epi32(reinterpret_cast<const int*>(curve.levels), index, 4);
    return _mm256_and_si256(levels, _mm256_castps_si256(inTable));
}

STILLPRESS_AVX2 void MapRowAvx2(const ToneCurve& curve, const float* red, const float* green, const float* blue,
    int count, std::uint8_t* bgr)
{
    const __m256 knee = _mm256_set1_ps(curve.knee);
    const __m256 lift = _mm256_set1_ps(curve.lift);
    const __m256 bend = _mm256_set1_ps(curve.bend);
    const __m256 numerator = _mm256_set1_ps(curve.numerator);
    const __m256 darkest = _mm256_set1_ps(1e-6f);
    // Each 32-bit lane's blue, green and red bytes, four pixels to a 16-byte half.
    const __m256i packPixels = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
        0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // Each step writes 28 bytes for its 24: it stops where fewer than two pixels would be left after it.
    for (; x + 10 <= count; x += 8) {
        const __m256 r = _mm256_loadu_ps(red + x);
        const __m256 g = _mm256_loadu_ps(green + x);
        const __m256 b = _mm256_loadu_ps(blue + x);
        // _mm256_max_ps(a, b) is a > b ? a : b, as std::max(b, a) is.
        const __m256 brightest = _mm256_max_ps(darkest, _mm256_max_ps(b, _mm256_max_ps(g, r)));
        const __m256 curved = _mm256_div_ps(_mm256_mul_ps(numerator, _mm256_add_ps(brightest, lift)), _mm256_add_ps(brightest, bend));
        const __m256 mapped = _mm256_blendv_ps(brightest, curved, _mm256_cmp_ps(brightest, knee, _CMP_GT_OQ));
        const __m256 scale = _mm256_div_ps(mapped, brightest);
        const __m256i pixels = _mm256_or_si256(TransferLevels(curve, _mm256_mul_ps(b, scale)),
            _mm256_or_si256(_mm256_slli_epi32(TransferLevels(curve, _mm256_mul_ps(g, scale)), 8),
                _mm256_slli_epi32(TransferLevels(curve, _mm256_mul_ps(r, scale)), 16)));
        const __m256i packed = _mm256_shuffle_epi8(pixels, packPixels);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 3 * x), _mm256_castsi256_si128(packed));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 3 * x + 12), _mm256_extracti128_si256(packed, 1));
    }
    for (; x < count; ++x)
        ToneMapPixel(curve, red[x], green[x], blue[x], bgr + 3 * x);
}

}  // namespace

const ToneCurveKernels& Avx2ToneCurveKernels()
{
    static constexpr ToneCurveKernels kernels{MapRowAvx2};
    return kernels;
}

#else

const ToneCurveKernels& Avx2ToneCurveKernels()
{
    return ToneCurveKernelsFor(SimdLevel::kPortable);
}

#endif
