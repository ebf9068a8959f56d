#include "convert/decoded_picture.h"

#include "convert/picture_converter.h"

#include <algorithm>
#include <array>
#include <cmath>
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

using RangeTable = std::array<std::uint8_t, 256>;

// Limited-range samples (luma 16 to 235, chroma 16 to 240 around 128) to JPEG's full range.
RangeTable MakeRangeTable(double offset, double scale, double centre)
{
    RangeTable table{};
    for (int v = 0; v < 256; ++v)
        table[v] = static_cast<std::uint8_t>(std::clamp(std::lround((v - offset) * scale + centre), 0L, 255L));
    return table;
}

void Stretch(const std::uint8_t* source, int sourceStride, int width, int height, const RangeTable& table,
    std::vector<std::uint8_t>& target)
{
    target.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
        std::uint8_t* out = target.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = table[in[x]];
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
    static const RangeTable luma = MakeRangeTable(16.0, 255.0 / 219.0, 0.0);
    static const RangeTable chroma = MakeRangeTable(128.0, 255.0 / 224.0, 128.0);
    thread_local std::vector<std::uint8_t> stretched[3];
    const int chromaWidth = (width_ + 1) / 2;
    const int chromaHeight = (height_ + 1) / 2;
    for (int i = 0; i < 3; ++i) {
        const int w = i == 0 ? width_ : chromaWidth;
        const int h = i == 0 ? height_ : chromaHeight;
        Stretch(picture.data[i], picture.linesize[i], w, h, i == 0 ? luma : chroma, stretched[i]);
        planes.planes[i] = stretched[i].data();
        planes.strides[i] = w;
    }
    return planes;
}
