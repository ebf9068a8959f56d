// The deep colour kernels with AVX2, sixteen samples at a time: the same 16-bit multiplies, wrapping
// sums and saturation as the portable ones. Only these functions use AVX2 (no compile flag for the
// whole file), so nothing else built here can reach a processor without it.
#include "convert/picture/deep_colour.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define STILLPRESS_AVX2 __attribute__((target("avx2")))

namespace {

// Sixteen samples in 15-bit steps, those above the depth as its largest.
STILLPRESS_AVX2 __m256i Steps(const DeepColour& c, const std::uint16_t* samples)
{
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(samples));
    return _mm256_sll_epi16(_mm256_min_epu16(in, _mm256_set1_epi16(static_cast<short>(32767 >> c.up))), _mm_cvtsi32_si128(c.up));
}

STILLPRESS_AVX2 void FilterChromaAvx2(const DeepColour& colour, const std::uint16_t* const* rows, const std::int16_t* taps,
    int tapCount, int count, std::int16_t* out)
{
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        __m256i sum = _mm256_set1_epi16(DeepColour::kRounding);
        for (int j = 0; j < tapCount; ++j)
            sum = _mm256_add_epi16(sum, _mm256_mulhi_epi16(Steps(colour, rows[j] + x), _mm256_set1_epi16(taps[j])));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), sum);
    }
    for (; x < count; ++x)
        out[x] = DeepColourChroma(colour, rows, taps, tapCount, x);
}

// Eight chroma samples, each for two pixels.
STILLPRESS_AVX2 __m256i Pairs(const std::int16_t* chroma)
{
    const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chroma));
    return _mm256_set_m128i(_mm_unpackhi_epi16(eight, eight), _mm_unpacklo_epi16(eight, eight));
}

// Sixteen components saturated to bytes, in order.
STILLPRESS_AVX2 __m128i Bytes(__m256i components)
{
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(components, components), 0x08));
}

STILLPRESS_AVX2 void ConvertRowAvx2(const DeepColour& c, const std::uint16_t* luma, const std::int16_t* u, const std::int16_t* v,
    int width, std::uint8_t* bgr)
{
    const __m256i zero = _mm256_set1_epi16(DeepColour::kChromaZero);
    const __m256i rounding = _mm256_set1_epi16(DeepColour::kRounding);
    // Which byte of blue, green and red goes to each of the 48 bytes of sixteen pixels (-1: none).
    const __m128i fromBlue[3] = {_mm_setr_epi8(0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1, 5),
        _mm_setr_epi8(-1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1),
        _mm_setr_epi8(-1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1, -1)};
    const __m128i fromGreen[3] = {_mm_setr_epi8(-1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1),
        _mm_setr_epi8(5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10),
        _mm_setr_epi8(-1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1)};
    const __m128i fromRed[3] = {_mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1),
        _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1),
        _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15)};
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i us = _mm256_sub_epi16(Pairs(u + x / 2), zero);
        const __m256i vs = _mm256_sub_epi16(Pairs(v + x / 2), zero);
        const __m256i y = _mm256_add_epi16(rounding, _mm256_mulhi_epi16(Steps(c, luma + x), _mm256_set1_epi16(DeepColour::kWholeTap)));
        const __m256i scaled = _mm256_mulhi_epi16(_mm256_sub_epi16(y, _mm256_set1_epi16(c.lumaOffset)), _mm256_set1_epi16(c.lumaGain));
        const __m128i blue = Bytes(_mm256_add_epi16(scaled, _mm256_mulhi_epi16(us, _mm256_set1_epi16(c.blueU))));
        const __m128i green = Bytes(_mm256_add_epi16(scaled,
            _mm256_add_epi16(_mm256_mulhi_epi16(us, _mm256_set1_epi16(c.greenU)), _mm256_mulhi_epi16(vs, _mm256_set1_epi16(c.greenV)))));
        const __m128i red = Bytes(_mm256_add_epi16(scaled, _mm256_mulhi_epi16(vs, _mm256_set1_epi16(c.redV))));
        for (int k = 0; k < 3; ++k)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 3 * x + 16 * k),
                _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(blue, fromBlue[k]), _mm_shuffle_epi8(green, fromGreen[k])),
                    _mm_shuffle_epi8(red, fromRed[k])));
    }
    for (; x < width; x += 2)
        DeepColourPixels(c, luma + x, u[x / 2], v[x / 2], 2, bgr + 3 * x);
}

}  // namespace

const DeepColourKernels& Avx2DeepColourKernels()
{
    static constexpr DeepColourKernels kernels{FilterChromaAvx2, ConvertRowAvx2};
    return kernels;
}

#else

const DeepColourKernels& Avx2DeepColourKernels()
{
    return DeepColourKernelsFor(SimdLevel::kPortable);
}

#endif
