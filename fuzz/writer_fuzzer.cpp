// Arbitrary pictures, 1 to 64 pixels a side, in every pixel layout the decoders hand over and with
// tight or padded rows, turned as a display matrix asks, made into bitmaps and JPG planes as the run
// does and encoded to every format in memory; and arbitrary bitmaps straight into every encoder, PNG's
// through both its vector and its portable path, which must give the same bytes. Any crash, leak,
// out-of-bounds access, undefined behaviour or abort here is a fault of ours or of how we drive the
// libraries.
#include "common/failure.h"
#include "convert/picture/decoded_picture.h"
#include "convert/writers/image_encoder.h"
#include "convert/writers/jpg_encoder.h"
#include "convert/writers/png_encoder.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace {

// What the decoders of AVI video put out.
constexpr AVPixelFormat kLayouts[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUVJ422P,
    AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV410P, AV_PIX_FMT_YUV411P, AV_PIX_FMT_YUV440P,
    AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_YUV420P12LE, AV_PIX_FMT_YUV422P10LE, AV_PIX_FMT_YUV444P10LE, AV_PIX_FMT_YUVA420P, AV_PIX_FMT_NV12,
    AV_PIX_FMT_YUYV422, AV_PIX_FMT_UYVY422, AV_PIX_FMT_PAL8, AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR24, AV_PIX_FMT_BGR0,
    AV_PIX_FMT_BGRA, AV_PIX_FMT_RGB555LE, AV_PIX_FMT_RGB565LE, AV_PIX_FMT_GRAY8, AV_PIX_FMT_GRAY16LE,
    AV_PIX_FMT_MONOBLACK, AV_PIX_FMT_MONOWHITE, AV_PIX_FMT_GBRP, AV_PIX_FMT_RGB48LE};

constexpr AVColorSpace kColourspaces[] = {AVCOL_SPC_UNSPECIFIED, AVCOL_SPC_BT470BG, AVCOL_SPC_SMPTE170M, AVCOL_SPC_BT709,
    AVCOL_SPC_FCC, AVCOL_SPC_SMPTE240M, AVCOL_SPC_BT2020_NCL, AVCOL_SPC_RGB};

constexpr OutputFormat kFormats[] = {OutputFormat::BMP, OutputFormat::JPG, OutputFormat::PNG, OutputFormat::GIF,
    OutputFormat::TIFF, OutputFormat::TGA, OutputFormat::PCX};

void EncodeEveryFormat(const PackedDib& frame, int quality)
{
    EncodedImage image;
    for (const OutputFormat format : kFormats) {
        try {
            EncoderFor(format).Encode(frame, quality, image);
        } catch (const Failure&) {
            // An encoder that refuses a frame says so: an outcome, not a fault.
        }
    }
}

// A picture as a decoder hands it over: planes filled from the input, rows exactly as long as the
// layout needs (`tightRows`) or padded as FFmpeg pads its own.
FramePtr MakePicture(FuzzedDataProvider& input, int width, int height)
{
    FramePtr picture(av_frame_alloc());
    if (!picture)
        throw std::bad_alloc();
    picture->format = input.PickValueInArray(kLayouts);
    picture->width = width;
    picture->height = height;
    picture->colorspace = input.PickValueInArray(kColourspaces);
    picture->color_range = input.ConsumeBool() ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    if (av_frame_get_buffer(picture.get(), input.ConsumeBool() ? 1 : 0) < 0)
        throw std::bad_alloc();
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture->format));
    for (int plane = 0; plane < 4 && picture->data[plane]; ++plane) {
        const bool chroma = plane == 1 || plane == 2;
        const int rows = chroma ? AV_CEIL_RSHIFT(height, descriptor->log2_chroma_h) : height;
        const std::size_t size = (descriptor->flags & AV_PIX_FMT_FLAG_PAL) && plane == 1
            ? 1024
            : static_cast<std::size_t>(picture->linesize[plane]) * static_cast<std::size_t>(rows);
        const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(size);
        std::fill_n(std::copy(bytes.begin(), bytes.end(), picture->data[plane]), size - bytes.size(), 0x80);
    }
    return picture;
}

void ConvertAndEncode(FuzzedDataProvider& input)
{
    const int width = input.ConsumeIntegralInRange(1, 64);
    const int height = input.ConsumeIntegralInRange(1, 64);
    const int quality = input.ConsumeIntegralInRange(1, 100);
    // Any of the eight ways a display matrix turns and mirrors a picture.
    const int turn = input.ConsumeIntegralInRange(0, 7);
    const Orientation orientation{(turn & 1) != 0, (turn & 2) != 0, (turn & 4) != 0};
    const DecodedPicture picture(MakePicture(input, width, height), orientation);

    if (const std::optional<JpegPlanes> planes = picture.ToJpegPlanes()) {
        EncodedImage image;
        JpgEncoder::EncodePlanes(*planes, quality, image);
    }
    try {
        EncodeEveryFormat(picture.ToPackedDib(), quality);
    } catch (const std::runtime_error&) {
        // A layout swscale cannot convert: the run skips such a frame.
    }
}

void EncodeBitmap(FuzzedDataProvider& input)
{
    const int width = input.ConsumeIntegralInRange(1, 64);
    const int height = input.ConsumeIntegralInRange(1, 64);
    const int quality = input.ConsumeIntegralInRange(1, 100);
    PackedDib frame(width, height);
    for (int y = 0; y < height; ++y) {
        const std::vector<std::uint8_t> row = input.ConsumeBytes<std::uint8_t>(static_cast<std::size_t>(width) * 3);
        std::fill_n(std::copy(row.begin(), row.end(), frame.TopDownRow(y)), static_cast<std::size_t>(width) * 3 - row.size(), 0);
    }
    EncodeEveryFormat(frame, quality);

    EncodedImage fastest;
    PngEncoder(FastestSimdLevel()).Encode(frame, quality, fastest);
    EncodedImage portable;
    PngEncoder(SimdLevel::kPortable).Encode(frame, quality, portable);
    if (fastest.bytes != portable.bytes)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        ConvertAndEncode(input);
    else
        EncodeBitmap(input);
    return 0;
}
