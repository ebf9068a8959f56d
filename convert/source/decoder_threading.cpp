#include "convert/source/decoder_threading.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

int DecoderThreading::For(const AVCodecParameters& stream) const
{
    const long long pixels = static_cast<long long>(stream.width) * stream.height;
    if (pixels < kLargeFrom)
        return 1;
    const AVPixFmtDescriptor* samples = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(stream.format));
    const bool deep = samples && samples->nb_components > 0 && samples->comp[0].depth > 8;
    return pixels >= k4kFrom && deep ? forDeep4kPictures : forLargePictures;
}
