#include "convert/picture/decoded_picture.h"

#include "convert/picture/deinterlace.h"
#include "convert/picture/depth_reduction.h"
#include "convert/picture/picture_converter.h"
#include "convert/picture/plane_scaler.h"
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

// Row `y` of a plane of `picture` in JPEG's 8-bit full range, PaddedWidth samples into `out`: the last
// column repeated to whole subsampling blocks, and rows below the plane repeating its last, since what
// an encoder reads beyond the picture must be the picture's own edge.
void MakeJpegRow(const AVFrame& picture, int plane, int depth, bool fullRange, int y, std::uint8_t* __restrict out)
{
    const int width = plane == 0 ? picture.width : AV_CEIL_RSHIFT(picture.width, 1);
    const int height = plane == 0 ? picture.height : AV_CEIL_RSHIFT(picture.height, 1);
    const std::uint8_t* __restrict in = picture.data[plane] + static_cast<std::ptrdiff_t>(std::min(y, height - 1)) * picture.linesize[plane];
    if (depth > 8) {
        const DepthReduction& reduction = plane == 0 ? ReductionsOf(depth, fullRange).luma : ReductionsOf(depth, fullRange).chroma;
        DepthReductionKernelsFor(FastestSimdLevel()).reduceRow(reduction, reinterpret_cast<const std::uint16_t*>(in), out, width);
    } else if (fullRange) {
        std::copy_n(in, width, out);
    } else {
        // Each sample through the stretch, which the compiler vectorises.
        const RangeStretch stretch = plane == 0 ? kLumaStretch : kChromaStretch;
        for (int x = 0; x < width; ++x)
            out[x] = stretch(in[x]);
    }
    std::fill(out + width, out + JpegPlanes::PaddedWidth(plane, picture.width), out[width - 1]);
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

DecodedPicture::DecodedPicture(FramePtr picture, Orientation orientation, std::optional<HdrSignal> hdr, PictureShaping shaping)
    : picture_(std::move(picture)), orientation_(orientation), hdr_(hdr), shaping_(std::move(shaping))
{
    // A turned picture's samples are as wide as they were high.
    const AVRational aspect = orientation_.transpose && shaping_.sampleAspect.num > 0
        ? AVRational{shaping_.sampleAspect.den, shaping_.sampleAspect.num}
        : shaping_.sampleAspect;
    const PictureSize upright = orientation_.transpose ? PictureSize{picture_->height, picture_->width} : PictureSize{picture_->width, picture_->height};
    size_ = ShapedSize(upright, aspect, shaping_.shape);
}

const AVFrame& DecodedPicture::Source() const
{
    if (!shaping_.shape.deinterlace || !picture_->interlaced_frame)
        return *picture_;
    thread_local FramePtr deinterlaced(av_frame_alloc());
    if (!deinterlaced)
        throw std::bad_alloc();
    Deinterlace(shaping_.previous.get(), *picture_, shaping_.next.get(), *deinterlaced);
    return *deinterlaced;
}

const AVFrame* DecodedPicture::UprightPlanes(const AVFrame& picture) const
{
    if (orientation_.IsUpright())
        return &picture;
    thread_local FramePtr turned(av_frame_alloc());
    if (!turned)
        throw std::bad_alloc();
    return OrientFrame(picture, orientation_, *turned) ? turned.get() : nullptr;
}

void DecodedPicture::Convert(const AVFrame& picture, PictureSize size, PackedDib& into) const
{
    // One converter and one mapper per thread, rebuilt only when the pictures change their kind or size.
    thread_local PictureConverter converter;
    if (!hdr_) {
        converter.Convert(picture, into, size);
        return;
    }
    thread_local ToneMapper mapper;
    if (size == PictureSize{picture.width, picture.height}) {
        mapper.Map(picture, *hdr_, into);
        return;
    }
    // Tone-mapped at its own size, then shrunk.
    thread_local PackedDib mapped(1, 1);
    mapper.Map(picture, *hdr_, mapped);
    FramePtr bitmap(av_frame_alloc());
    if (!bitmap)
        throw std::bad_alloc();
    bitmap->format = AV_PIX_FMT_BGR24;
    bitmap->width = mapped.Width();
    bitmap->height = mapped.Height();
    bitmap->data[0] = mapped.TopDownRow(0);
    bitmap->linesize[0] = -static_cast<int>(mapped.Stride());
    thread_local PictureConverter shrinker;
    shrinker.Convert(*bitmap, into, size);
}

void DecodedPicture::ToPackedDib(PackedDib& into) const
{
    const AVFrame& source = Source();
    if (const AVFrame* upright = UprightPlanes(source)) {
        Convert(*upright, size_, into);
        return;
    }
    thread_local PackedDib stored(1, 1);
    Convert(source, orientation_.transpose ? PictureSize{size_.height, size_.width} : size_, stored);
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
    const AVFrame* upright = UprightPlanes(Source());
    if (!upright)
        return std::nullopt;
    // A still fitted within a size is shrunk in its planes, before anything else is done to it.
    thread_local PlaneScaler scaler;
    const AVFrame& picture = Resized() ? scaler.Scale(*upright, size_) : *upright;
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
    planes.makeRow = [&picture, depth, fullRange](int plane, int y, std::uint8_t* out) {
        MakeJpegRow(picture, plane, depth, fullRange, y, out);
    };
    return planes;
}
