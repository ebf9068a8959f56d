// The PNG row kernels with AVX2: 32 samples at a time. Only these functions use AVX2 (no compile
// flag for the whole file), so nothing else built here can reach a processor without it.
#include "convert/writers/png_row_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <array>

#define STILLPRESS_AVX2 __attribute__((target("avx2")))

namespace {

STILLPRESS_AVX2 __m256i Load(const std::uint8_t* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

STILLPRESS_AVX2 void ToRgbAvx2(const std::uint8_t* bgr, std::uint8_t* rgb, std::size_t bytes)
{
    // Four pixels in each 16-byte lane: 12 bytes reordered, 4 written and then overwritten.
    const __m256i swapRedBlue = _mm256_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, -1, -1, -1, -1,
        2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, -1, -1, -1, -1);
    std::size_t i = 0;
    // Each step reads 28 bytes from i; the source row has nothing readable past its end.
    for (; i + 28 <= bytes; i += 24) {
        const __m256i pixels = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(bgr + i + 12),
            reinterpret_cast<const __m128i*>(bgr + i));
        const __m256i swapped = _mm256_shuffle_epi8(pixels, swapRedBlue);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + i), _mm256_castsi256_si128(swapped));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + i + 12), _mm256_extracti128_si256(swapped, 1));
    }
    for (; i < bytes; i += 3) {
        rgb[i] = bgr[i + 2];
        rgb[i + 1] = bgr[i + 1];
        rgb[i + 2] = bgr[i];
    }
}

STILLPRESS_AVX2 __m256i AbsoluteDifference(__m256i a, __m256i b)
{
    return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a));
}

// a <= b as unsigned bytes, all ones where true.
STILLPRESS_AVX2 __m256i AtMost(__m256i a, __m256i b)
{
    return _mm256_cmpeq_epi8(_mm256_min_epu8(a, b), a);
}

// The Paeth prediction in bytes. The distance to the corner, |(above - aboveLeft) + (left -
// aboveLeft)|, is the sum of the other two distances when both differences have the same sign and
// their difference otherwise; a sum past 255 saturates, which keeps every comparison's outcome.
STILLPRESS_AVX2 __m256i PaethAvx2(__m256i left, __m256i above, __m256i aboveLeft)
{
    const __m256i leftDistance = AbsoluteDifference(above, aboveLeft);
    const __m256i aboveDistance = AbsoluteDifference(left, aboveLeft);
    const __m256i aboveRises = AtMost(aboveLeft, above);
    const __m256i leftRises = AtMost(aboveLeft, left);
    const __m256i sameSign = _mm256_cmpeq_epi8(aboveRises, leftRises);
    const __m256i cornerDistance = _mm256_blendv_epi8(AbsoluteDifference(leftDistance, aboveDistance),
        _mm256_adds_epu8(leftDistance, aboveDistance), sameSign);
    const __m256i pickLeft = _mm256_and_si256(AtMost(leftDistance, aboveDistance), AtMost(leftDistance, cornerDistance));
    const __m256i aboveOrCorner = _mm256_blendv_epi8(aboveLeft, above, AtMost(aboveDistance, cornerDistance));
    return _mm256_blendv_epi8(aboveOrCorner, left, pickLeft);
}

// (a + b) / 2 rounded down; the instruction rounds up.
STILLPRESS_AVX2 __m256i FloorAverage(__m256i a, __m256i b)
{
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

STILLPRESS_AVX2 std::uint64_t HorizontalSum(__m256i sums)
{
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) + static_cast<std::uint64_t>(_mm_extract_epi64(half, 1));
}

STILLPRESS_AVX2 void FilterAllAvx2(const std::uint8_t* rgb, const std::uint8_t* above, std::size_t bytes,
    std::uint8_t* const* candidates, std::uint64_t* sums)
{
    // 32 ones then 32 zeros: read from the right place, a mask of the samples left in a last step.
    alignas(32) static constexpr std::array<std::uint8_t, 64> kTailMasks = [] {
        std::array<std::uint8_t, 64> masks{};
        for (int i = 0; i < 32; ++i)
            masks[i] = 0xFF;
        return masks;
    }();
    const __m256i zero = _mm256_setzero_si256();
    __m256i totals[kPngFilters] = {zero, zero, zero, zero, zero};
    for (std::size_t i = 0; i < bytes; i += 32) {
        const __m256i sample = Load(rgb + i);
        const __m256i left = Load(rgb + i - 3);
        const __m256i up = Load(above + i);
        const __m256i upLeft = Load(above + i - 3);
        const __m256i residuals[kPngFilters] = {sample, _mm256_sub_epi8(sample, left), _mm256_sub_epi8(sample, up),
            _mm256_sub_epi8(sample, FloorAverage(left, up)), _mm256_sub_epi8(sample, PaethAvx2(left, up, upLeft))};
        const __m256i counted = bytes - i >= 32
            ? _mm256_set1_epi8(-1)
            : Load(kTailMasks.data() + 32 - (bytes - i));
        for (int filter = 0; filter < kPngFilters; ++filter) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(candidates[filter] + i), residuals[filter]);
            const __m256i magnitude = _mm256_and_si256(_mm256_abs_epi8(residuals[filter]), counted);
            totals[filter] = _mm256_add_epi64(totals[filter], _mm256_sad_epu8(magnitude, zero));
        }
    }
    for (int filter = 0; filter < kPngFilters; ++filter)
        sums[filter] += HorizontalSum(totals[filter]);
}

STILLPRESS_AVX2 void ZeroMaskAvx2(const std::uint8_t* row, std::size_t bytes, std::uint64_t* words)
{
    const __m256i zero = _mm256_setzero_si256();
    for (std::size_t word = 0; word * 64 < bytes; ++word) {
        const std::uint8_t* at = row + word * 64;
        const auto low = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Load(at), zero)));
        const auto high = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Load(at + 32), zero)));
        words[word] = (std::uint64_t{high} << 32) | low;
    }
}

}  // namespace

const PngRowKernels& Avx2PngRowKernels()
{
    static constexpr PngRowKernels kernels{ToRgbAvx2, FilterAllAvx2, ZeroMaskAvx2};
    return kernels;
}

#else

const PngRowKernels& Avx2PngRowKernels()
{
    return PortablePngRowKernels();
}

#endif
