#include "convert/picture/picture_converter.h"

#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <stdexcept>

namespace {

// Rows this many pixels wide are whole blocks for every converter swscale has, which process up to
// 32 pixels at a time; at 24 bits they also keep every row on a 32-byte boundary.
constexpr int kWholeBlockPixels = 32;

int SwsColorspaceOf(AVColorSpace space)
{
    switch (space) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default: return SWS_CS_ITU601;  // SD video and streams that say nothing
    }
}

// The full-range ("J") formats are their plain formats with the range set apart: swscale would
// otherwise rebuild its context for every picture of such a stream.
AVPixelFormat PlainFormatOf(AVPixelFormat format)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

bool IsFullRange(const AVFrame& picture)
{
    return picture.color_range == AVCOL_RANGE_JPEG || PlainFormatOf(static_cast<AVPixelFormat>(picture.format)) != picture.format;
}

}  // namespace

PictureConverter::Source PictureConverter::SourceOf(const AVFrame& picture, std::optional<PictureSize> size)
{
    return Source{picture.width, picture.height, PlainFormatOf(static_cast<AVPixelFormat>(picture.format)),
        SwsColorspaceOf(picture.colorspace), IsFullRange(picture) ? 1 : 0, size.value_or(PictureSize{picture.width, picture.height})};
}

void PictureConverter::Prepare(const Source& source)
{
    if (context_ && source == builtFor_)
        return;
    // A context is built only for what it converts and given its colours at once. (swscale's cached
    // contexts are rebuilt behind the caller's back, for an odd width for instance, which drops the
    // colours set before.)
    context_.reset();
    const auto format = static_cast<AVPixelFormat>(source.format);
    rows_.clear();
    context_.reset(sws_getContext(source.width, source.height, format, source.size.width, source.size.height, AV_PIX_FMT_BGR24,
        SWS_BICUBIC, nullptr, nullptr, nullptr));
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const bool hasColourMatrix = descriptor && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) && !(descriptor->flags & AV_PIX_FMT_FLAG_PAL);
    // Setting the colours rebuilds the context's tables; a context whose tables could not be made
    // would read through null pointers.
    if (context_ && hasColourMatrix
        && sws_setColorspaceDetails(context_.get(), sws_getCoefficients(source.colourspace), source.fullRange,
               sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16) < 0)
        context_.reset();
    if (!context_) {
        // A picture whose conversion cannot be set up is damaged, unless memory really is short.
        if (MemoryIsShort())
            throw std::bad_alloc();
        throw std::runtime_error("cannot convert this picture");
    }
    builtFor_ = source;
}

void PictureConverter::Convert(const AVFrame& picture, PackedDib& into, std::optional<PictureSize> size)
{
    const Source source = SourceOf(picture, size);
    Prepare(source);
    const int width = source.size.width;
    const int height = source.size.height;
    into.Resize(width, height);
    // Rows of whole blocks can take swscale's output directly, bottom row last (a negative stride).
    if (width % kWholeBlockPixels == 0) {
        uint8_t* destination[4] = {into.TopDownRow(0), nullptr, nullptr, nullptr};
        const int destinationStride[4] = {-static_cast<int>(into.Stride()), 0, 0, 0};
        if (sws_scale(context_.get(), picture.data, picture.linesize, 0, picture.height, destination, destinationStride) <= 0)
            throw std::runtime_error("picture conversion failed");
        return;
    }
    if (rows_.empty()) {
        // Room for the width rounded up to whole blocks of 8 pixels: swscale's fast paths convert only
        // whole blocks when the rows are narrower than that, leaving the last pixels unwritten.
        rowsStride_ = ((width + 16) * 3 + 63) & ~63;
        rows_.resize(static_cast<std::size_t>(rowsStride_) * height + 64);
    }
    uint8_t* destination[4] = {rows_.data(), nullptr, nullptr, nullptr};
    const int destinationStride[4] = {rowsStride_, 0, 0, 0};
    if (sws_scale(context_.get(), picture.data, picture.linesize, 0, picture.height, destination, destinationStride) <= 0)
        throw std::runtime_error("picture conversion failed");
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(into.TopDownRow(y), rows_.data() + static_cast<std::size_t>(y) * rowsStride_, rowBytes);
}
