// 9- to 14-bit YUV becomes exactly the bitmap swscale makes of it (the ffmpeg command's own path), on
// even and odd sizes, both ranges, BT.601, BT.709 and BT.2020, and 4:2:0, 4:2:2 and 4:4:4; the vector
// code gives its portable twin's bytes, and a damaged stream's samples above the depth count as the
// depth's largest.
#include "convert/picture/deep_colour_converter.h"
#include "convert/picture/picture_converter.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct DeepCase {
    AVPixelFormat format;
    int width;
    int height;
    AVColorSpace colourspace;
    AVColorRange range;
};

// Noise over ramps and hard edges, every sample within the depth unless `overDepth`, when one in
// sixteen is any 16-bit value.
FramePtr MakePicture(const DeepCase& deep, bool overDepth = false)
{
    FramePtr picture(av_frame_alloc());
    picture->format = deep.format;
    picture->width = deep.width;
    picture->height = deep.height;
    picture->colorspace = deep.colourspace;
    picture->color_range = deep.range;
    EXPECT_GE(av_frame_get_buffer(picture.get(), 0), 0);
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(deep.format);
    const int top = (1 << format->comp[0].depth) - 1;
    std::uint32_t noise = 2024;
    for (int p = 0; p < 3; ++p) {
        const int width = p == 0 ? deep.width : AV_CEIL_RSHIFT(deep.width, format->log2_chroma_w);
        const int height = p == 0 ? deep.height : AV_CEIL_RSHIFT(deep.height, format->log2_chroma_h);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<std::uint16_t*>(picture->data[p] + y * picture->linesize[p]);
            for (int x = 0; x < width; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int edge = ((x / 7 + y / 5 + p) % 3) * top / 3;
                const int ramp = (x * 3 + y * 5 + p * 101) % (top + 1);
                const int value = (noise >> 13) % 4 == 0 ? static_cast<int>((noise >> 8) % (top + 1)) : (edge + ramp) / 2;
                row[x] = static_cast<std::uint16_t>(overDepth && (noise >> 28) == 0 ? noise >> 12 : value);
            }
        }
    }
    return picture;
}

// What swscale makes of the picture, as the ffmpeg command sets it up, top row first.
std::vector<std::uint8_t> SwscaleBgr(const AVFrame& picture)
{
    SwsContext* context = sws_getContext(picture.width, picture.height, static_cast<AVPixelFormat>(picture.format), picture.width,
        picture.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    const int space = picture.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709
        : picture.colorspace == AVCOL_SPC_BT2020_NCL        ? SWS_CS_BT2020
                                                            : SWS_CS_ITU601;
    sws_setColorspaceDetails(context, sws_getCoefficients(space), picture.color_range == AVCOL_RANGE_JPEG,
        sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    const int stride = (picture.width * 3 + 64) & ~31;
    std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) * picture.height + 64);
    std::uint8_t* destination[4] = {padded.data()};
    const int destinationStride[4] = {stride};
    sws_scale(context, picture.data, picture.linesize, 0, picture.height, destination, destinationStride);
    sws_freeContext(context);
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < picture.height; ++y)
        rows.insert(rows.end(), padded.begin() + y * stride, padded.begin() + y * stride + picture.width * 3);
    return rows;
}

std::vector<std::uint8_t> TopDownPixels(const PackedDib& dib)
{
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < dib.Height(); ++y)
        rows.insert(rows.end(), dib.TopDownRow(y), dib.TopDownRow(y) + dib.Width() * 3);
    return rows;
}

std::string Name(const DeepCase& deep)
{
    return std::string(av_get_pix_fmt_name(deep.format)) + " " + std::to_string(deep.width) + "x" + std::to_string(deep.height) + " "
        + av_color_space_name(deep.colourspace) + " " + av_color_range_name(deep.range);
}

const DeepCase kCases[] = {
    {AV_PIX_FMT_YUV420P10, 320, 180, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P10, 322, 182, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG},
    {AV_PIX_FMT_YUV420P10, 98, 34, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P10, 1920, 1080, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P12, 66, 258, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P9, 64, 64, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG},
    {AV_PIX_FMT_YUV420P14, 40, 22, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_JPEG},
    {AV_PIX_FMT_YUV420P10, 2, 16, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    // Odd sizes, pictures too short for the picture's last rows, and other subsamplings: swscale whole.
    {AV_PIX_FMT_YUV420P10, 321, 181, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P10, 97, 34, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG},
    {AV_PIX_FMT_YUV420P10, 3, 3, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P10, 1, 1, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV420P10, 2, 2, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV422P10, 100, 33, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG},
    {AV_PIX_FMT_YUV444P12, 97, 33, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_JPEG},
};

TEST(DeepColour, GivesSwscalesBytesForEveryKindAndSize)
{
    PictureConverter converter;  // one for all, so that a converter kept from one kind to the next is tried too
    for (const DeepCase& deep : kCases) {
        SCOPED_TRACE(Name(deep));
        const FramePtr picture = MakePicture(deep);
        PackedDib ours(1, 1);
        converter.Convert(*picture, ours);
        const std::vector<std::uint8_t> expected = SwscaleBgr(*picture);
        const std::vector<std::uint8_t> got = TopDownPixels(ours);
        ASSERT_EQ(got.size(), expected.size());
        const auto [a, b] = std::ranges::mismatch(got, expected);
        EXPECT_TRUE(a == got.end()) << "first differing byte " << (a - got.begin()) << " of rows of " << deep.width * 3 << ": "
                                    << int(*a) << " against " << int(*b);
    }
}

TEST(DeepColour, VectorCodeGivesThePortableBytesAndSamplesAboveTheDepthCountAsItsLargest)
{
    if (!CanRun(SimdLevel::kAvx2))
        GTEST_SKIP() << "this processor has no AVX2";
    for (const DeepCase& deep : kCases) {
        const FramePtr picture = MakePicture(deep, true);
        if (!DeepColourConverter::Takes(*picture))
            continue;
        SCOPED_TRACE(Name(deep));
        PackedDib portable(1, 1);
        PackedDib vector(1, 1);
        DeepColourConverter(SimdLevel::kPortable).Convert(*picture, portable);
        DeepColourConverter(SimdLevel::kAvx2).Convert(*picture, vector);
        EXPECT_TRUE(std::ranges::equal(vector.Bytes(), portable.Bytes()));

        // The same picture with those samples at the largest, but for the last rows, which swscale makes.
        const int top = (1 << av_pix_fmt_desc_get(deep.format)->comp[0].depth) - 1;
        for (int p = 0; p < 3; ++p)
            for (int y = 0; y < (p ? deep.height / 2 : deep.height); ++y) {
                auto* row = reinterpret_cast<std::uint16_t*>(picture->data[p] + y * picture->linesize[p]);
                for (int x = 0; x < (p ? deep.width / 2 : deep.width); ++x)
                    row[x] = static_cast<std::uint16_t>(std::min<int>(row[x], top));
            }
        PackedDib clamped(1, 1);
        DeepColourConverter(SimdLevel::kPortable).Convert(*picture, clamped);
        for (int y = 0; y < deep.height - 2; ++y)
            ASSERT_TRUE(std::equal(clamped.TopDownRow(y), clamped.TopDownRow(y) + deep.width * 3, portable.TopDownRow(y))) << "row " << y;
    }
}

}  // namespace
