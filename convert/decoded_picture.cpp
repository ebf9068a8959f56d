#include "convert/decoded_picture.h"

#include "convert/picture_converter.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

bool HasJpegColours(const AVFrame& picture)
{
    switch (picture.colorspace) {
    case AVCOL_SPC_UNSPECIFIED:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return true;
    default: return false;
    }
}

// Limited-range samples (luma 16 to 235, chroma 16 to 240 around 128) to JPEG's full range, in
// 16-bit steps the compiler turns into vector code (a high-half multiply, a saturating subtraction,
// a shift): several times faster than a table lookup per byte, and exactly as rounded.
struct RangeStretch {
    std::uint16_t multiplier;
    std::uint16_t offset;
    constexpr std::uint8_t operator()(std::uint8_t v) const
    {
        const auto scaled = static_cast<std::uint16_t>((static_cast<std::uint32_t>(v << 8) * multiplier) >> 16);
        const auto lifted = static_cast<std::uint16_t>(scaled > offset ? scaled - offset : 0);
        return static_cast<std::uint8_t>(std::min<std::uint16_t>(lifted >> 6, 255));
    }
};
constexpr RangeStretch kLumaStretch{19077, 1160};    // (v - 16) * 255 / 219
constexpr RangeStretch kChromaStretch{18650, 1101};  // (v - 128) * 255 / 224 + 128

// The stretch rounded to nearest, halves away from zero, as exact integer arithmetic.
constexpr bool StretchIsExact(RangeStretch stretch, int from, int numerator, int denominator, int centre)
{
    for (int v = 0; v < 256; ++v) {
        const int scaled = 2 * ((v - from) * numerator + centre * denominator);
        const int rounded = scaled >= 0 ? (scaled + denominator) / (2 * denominator)
                                        : -((-scaled + denominator) / (2 * denominator));
        if (stretch(static_cast<std::uint8_t>(v)) != std::clamp(rounded, 0, 255))
            return false;
    }
    return true;
}
static_assert(StretchIsExact(kLumaStretch, 16, 255, 219, 0));
static_assert(StretchIsExact(kChromaStretch, 128, 255, 224, 128));

void Stretch(const std::uint8_t* source, int sourceStride, int width, int height, RangeStretch stretch,
    std::vector<std::uint8_t>& target)
{
    target.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* __restrict in = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
        std::uint8_t* __restrict out = target.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = stretch(in[x]);
    }
}

}  // namespace

PackedDib DecodedPicture::ToPackedDib() const
{
    // One converter per thread, kept while the frame size stays the same.
    thread_local std::optional<PictureConverter> converter;
    if (!converter || converter->Width() != width_ || converter->Height() != height_)
        converter.emplace(width_, height_);
    return converter->Convert(*picture_);
}

std::optional<JpegPlanes> DecodedPicture::ToJpegPlanes() const
{
    const AVFrame& picture = *picture_;
    const bool fullRange = picture.format == AV_PIX_FMT_YUVJ420P
        || (picture.format == AV_PIX_FMT_YUV420P && picture.color_range == AVCOL_RANGE_JPEG);
    if ((picture.format != AV_PIX_FMT_YUV420P && picture.format != AV_PIX_FMT_YUVJ420P) || !HasJpegColours(picture)
        || picture.width != width_ || picture.height != height_)
        return std::nullopt;

    JpegPlanes planes;
    planes.width = width_;
    planes.height = height_;
    if (fullRange) {
        for (int i = 0; i < 3; ++i) {
            planes.planes[i] = picture.data[i];
            planes.strides[i] = picture.linesize[i];
        }
        return planes;
    }
    thread_local std::vector<std::uint8_t> stretched[3];
    const int chromaWidth = (width_ + 1) / 2;
    const int chromaHeight = (height_ + 1) / 2;
    for (int i = 0; i < 3; ++i) {
        const int w = i == 0 ? width_ : chromaWidth;
        const int h = i == 0 ? height_ : chromaHeight;
        Stretch(picture.data[i], picture.linesize[i], w, h, i == 0 ? kLumaStretch : kChromaStretch, stretched[i]);
        planes.planes[i] = stretched[i].data();
        planes.strides[i] = w;
    }
    return planes;
}
