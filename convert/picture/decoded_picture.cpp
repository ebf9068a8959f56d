#include "convert/picture/decoded_picture.h"

#include "convert/picture/picture_converter.h"
#include "convert/picture/tone_mapper.h"

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

// Samples of 9 to 12 bits to JPEG's 8-bit full range in one rounding: (v - from) * 255 / scale + centre,
// halves away from zero, where limited range puts black (or grey chroma) at `from` and the full swing
// across `scale`. As the 8-bit stretch, it is a multiply, a subtraction and a shift in 32-bit lanes the
// compiler vectorises; the constants are searched for at compile time and proven exact on every sample.
struct DepthReduction {
    std::int32_t multiplier = 0;
    std::int32_t subtrahend = 0;
    int shift = 0;
    constexpr std::uint8_t operator()(std::uint16_t v) const
    {
        return static_cast<std::uint8_t>(std::clamp((v * multiplier - subtrahend) >> shift, 0, 255));
    }
};

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
                const DepthReduction candidate{static_cast<std::int32_t>(multiplier), static_cast<std::int32_t>(base + nudge), shift};
                if (ReducesExactly(candidate, s))
                    return candidate;
            }
        }
    }
    return {};
}

// Luma and chroma of one bit depth in one range.
struct DepthReductions {
    DepthReduction luma;
    DepthReduction chroma;
};

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

// The 4:2:0 formats whose planes a JPEG is made from, with their bit depth.
int JpegPlaneDepth(int format)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P: return 8;
    case AV_PIX_FMT_YUV420P9: return 9;
    case AV_PIX_FMT_YUV420P10: return 10;
    case AV_PIX_FMT_YUV420P12: return 12;
    default: return 0;
    }
}

const DepthReductions& ReductionsOf(int depth, bool fullRange)
{
    return kReductions[depth == 9 ? 0 : depth == 10 ? 1 : 2][fullRange ? 1 : 0];
}

// Leaves a sample as it is: full-range planes that only need padding.
struct Unchanged {
    constexpr std::uint8_t operator()(std::uint8_t v) const { return v; }
};

// Copies a plane of width x height samples through `transform` into `target`, padded to paddedWidth x
// paddedHeight by repeating the last column and the last row: TurboJPEG reads whole subsampling blocks,
// and what it reads beyond the picture must be the picture's own edge, not whatever the buffer holds.
template <class Sample, class Transform>
void CopyPadded(const std::uint8_t* source, int sourceStride, int width, int height, int paddedWidth, int paddedHeight,
    Transform transform, std::vector<std::uint8_t>& target)
{
    const auto stride = static_cast<std::size_t>(paddedWidth);
    target.resize(stride * static_cast<std::size_t>(paddedHeight));
    for (int y = 0; y < height; ++y) {
        const Sample* __restrict in = reinterpret_cast<const Sample*>(source + static_cast<std::ptrdiff_t>(y) * sourceStride);
        std::uint8_t* __restrict out = target.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            out[x] = transform(in[x]);
        std::fill(out + width, out + paddedWidth, out[width - 1]);
    }
    for (int y = height; y < paddedHeight; ++y)
        std::copy_n(target.data() + static_cast<std::size_t>(height - 1) * stride, stride, target.data() + static_cast<std::size_t>(y) * stride);
}

// One plane of a picture to JPEG's 8-bit full range, padded.
void CopyJpegPlane(const AVFrame& picture, int plane, int depth, bool fullRange, std::vector<std::uint8_t>& target)
{
    const int width = plane == 0 ? picture.width : AV_CEIL_RSHIFT(picture.width, 1);
    const int height = plane == 0 ? picture.height : AV_CEIL_RSHIFT(picture.height, 1);
    const int paddedWidth = JpegPlanes::PaddedWidth(plane, picture.width);
    const int paddedHeight = JpegPlanes::PaddedHeight(plane, picture.height);
    const std::uint8_t* source = picture.data[plane];
    const int stride = picture.linesize[plane];
    if (depth > 8) {
        const DepthReductions& reductions = ReductionsOf(depth, fullRange);
        CopyPadded<std::uint16_t>(source, stride, width, height, paddedWidth, paddedHeight,
            plane == 0 ? reductions.luma : reductions.chroma, target);
    } else if (fullRange) {
        CopyPadded<std::uint8_t>(source, stride, width, height, paddedWidth, paddedHeight, Unchanged{}, target);
    } else {
        CopyPadded<std::uint8_t>(source, stride, width, height, paddedWidth, paddedHeight,
            plane == 0 ? kLumaStretch : kChromaStretch, target);
    }
}

}  // namespace

std::size_t DecodedPicture::Bytes() const
{
    std::size_t bytes = 0;
    for (const AVBufferRef* buffer : picture_->buf) {
        if (buffer)
            bytes += buffer->size;
    }
    return bytes;
}

const AVFrame* DecodedPicture::UprightPlanes() const
{
    if (orientation_.IsUpright())
        return picture_.get();
    thread_local FramePtr turned(av_frame_alloc());
    if (!turned)
        throw std::bad_alloc();
    return OrientFrame(*picture_, orientation_, *turned) ? turned.get() : nullptr;
}

void DecodedPicture::Convert(const AVFrame& picture, PackedDib& into) const
{
    // One converter and one mapper per thread, rebuilt only when the pictures change their kind or size.
    if (hdr_) {
        thread_local ToneMapper mapper;
        mapper.Map(picture, *hdr_, into);
        return;
    }
    thread_local PictureConverter converter;
    converter.Convert(picture, into);
}

void DecodedPicture::ToPackedDib(PackedDib& into) const
{
    if (const AVFrame* upright = UprightPlanes()) {
        Convert(*upright, into);
        return;
    }
    thread_local PackedDib stored(1, 1);
    Convert(*picture_, stored);
    into.Resize(Width(), Height());
    OrientPlane(stored.TopDownRow(0), -static_cast<std::ptrdiff_t>(stored.Stride()), stored.Width(), stored.Height(), 3,
        orientation_, into.TopDownRow(0), -static_cast<std::ptrdiff_t>(into.Stride()));
}

PackedDib DecodedPicture::ToPackedDib() const
{
    PackedDib dib(Width(), Height());
    ToPackedDib(dib);
    return dib;
}

std::optional<JpegPlanes> DecodedPicture::ToJpegPlanes() const
{
    const int depth = JpegPlaneDepth(picture_->format);
    if (hdr_ || depth == 0 || !HasJpegColours(*picture_))
        return std::nullopt;
    const AVFrame* upright = UprightPlanes();
    if (!upright)
        return std::nullopt;
    const AVFrame& picture = *upright;
    const bool fullRange = picture.format == AV_PIX_FMT_YUVJ420P || picture.color_range == AVCOL_RANGE_JPEG;

    JpegPlanes planes;
    planes.width = picture.width;
    planes.height = picture.height;
    // 8-bit planes of even size in full range are what TurboJPEG reads as they are.
    if (depth == 8 && fullRange && picture.width % 2 == 0 && picture.height % 2 == 0) {
        for (int i = 0; i < 3; ++i) {
            planes.planes[i] = picture.data[i];
            planes.strides[i] = picture.linesize[i];
        }
        return planes;
    }
    thread_local std::vector<std::uint8_t> copies[3];
    for (int i = 0; i < 3; ++i) {
        CopyJpegPlane(picture, i, depth, fullRange, copies[i]);
        planes.planes[i] = copies[i].data();
        planes.strides[i] = JpegPlanes::PaddedWidth(i, picture.width);
    }
    return planes;
}
