#include "convert/picture/sws_colours.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

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

}  // namespace

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

SwsColours SwsColoursOf(const AVFrame& picture)
{
    const auto format = static_cast<AVPixelFormat>(picture.format);
    return SwsColours{SwsColorspaceOf(picture.colorspace), picture.color_range == AVCOL_RANGE_JPEG || PlainFormatOf(format) != format};
}

SwsContextPtr BgrContext(int width, int height, AVPixelFormat format, PictureSize size, const SwsColours& colours)
{
    SwsContextPtr context(sws_getContext(width, height, format, size.width, size.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    const bool hasColourMatrix = descriptor && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) && !(descriptor->flags & AV_PIX_FMT_FLAG_PAL);
    // Setting the colours rebuilds the context's tables; a context whose tables could not be made
    // would read through null pointers.
    if (context && hasColourMatrix
        && sws_setColorspaceDetails(context.get(), sws_getCoefficients(colours.colourspace), colours.fullRange ? 1 : 0,
               sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16) < 0)
        context.reset();
    return context;
}
