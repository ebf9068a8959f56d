// Decoders get their picture buffers from us, laid out as FFmpeg's own pool lays them out for the same
// decoder and picture: a line size or a plane's padding off would let a decoder write past a buffer,
// or change which buffer a damaged picture leaves showing.
#include "convert/source/picture_buffers.h"
#include "convert/source/stream_handles.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

TEST(PictureBuffersTest, LaidOutAndRecycledAsFfmpegDoes)
{
    struct Case {
        AVCodecID codec;
        AVPixelFormat format;
        int width;
        int height;
    };
    const Case cases[] = {
        {AV_CODEC_ID_HEVC, AV_PIX_FMT_YUV420P10, 3840, 2160}, {AV_CODEC_ID_HEVC, AV_PIX_FMT_YUV420P10, 97, 33},
        {AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P, 1, 1}, {AV_CODEC_ID_H264, AV_PIX_FMT_YUV422P, 321, 241},
        {AV_CODEC_ID_H264, AV_PIX_FMT_NV12, 98, 34}, {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, 3, 2},
        {AV_CODEC_ID_FFV1, AV_PIX_FMT_YUV444P16, 97, 5}, {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ422P, 322, 17},
        {AV_CODEC_ID_MJPEG, AV_PIX_FMT_GRAY8, 7, 9}, {AV_CODEC_ID_FFV1, AV_PIX_FMT_BGR0, 321, 3},
        {AV_CODEC_ID_GIF, AV_PIX_FMT_PAL8, 33, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(avcodec_get_name(c.codec)) + " " + av_get_pix_fmt_name(c.format) + " "
            + std::to_string(c.width) + "x" + std::to_string(c.height));
        const AVCodec* codec = avcodec_find_decoder(c.codec);
        ASSERT_NE(codec, nullptr);
        CodecContextPtr decoder(avcodec_alloc_context3(codec));
        decoder->width = c.width;
        decoder->height = c.height;
        decoder->thread_count = 1;
        ASSERT_EQ(avcodec_open2(decoder.get(), codec, nullptr), 0);
        decoder->pix_fmt = c.format;  // as the stream's first picture would set it

        PictureBuffers buffers;
        const FramePtr ours(av_frame_alloc());
        const FramePtr theirs(av_frame_alloc());
        const auto take = [&](AVFrame& picture, bool fromUs) {
            picture.format = c.format;
            picture.width = c.width;
            picture.height = c.height;
            return fromUs ? buffers.Get(*decoder, picture, AV_GET_BUFFER_FLAG_REF)
                          : avcodec_default_get_buffer2(decoder.get(), &picture, AV_GET_BUFFER_FLAG_REF);
        };
        ASSERT_EQ(take(*ours, true), 0);
        ASSERT_EQ(take(*theirs, false), 0);
        for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
            EXPECT_EQ(ours->linesize[i], theirs->linesize[i]) << "plane " << i;
            ASSERT_EQ(ours->buf[i] == nullptr, theirs->buf[i] == nullptr) << "plane " << i;
            ASSERT_EQ(ours->data[i] == nullptr, theirs->data[i] == nullptr) << "plane " << i;
            if (!ours->buf[i])
                continue;
            EXPECT_EQ(ours->buf[i]->size, theirs->buf[i]->size) << "plane " << i;
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ours->data[i]) % 64, 0u) << "plane " << i;
            // Cleared, or for a palette filled, as FFmpeg's are.
            EXPECT_TRUE(std::equal(ours->buf[i]->data, ours->buf[i]->data + ours->buf[i]->size, theirs->buf[i]->data)) << "plane " << i;
        }
        // The picture let go is the next one handed out, as it was left; after ForgetContents the
        // same buffer comes back cleared, once.
        const std::uint8_t* const firstPlane = ours->data[0];
        const auto written = [&] { return ours->buf[0]->data[ours->buf[0]->size - 1]; };
        ours->buf[0]->data[ours->buf[0]->size - 1] = 7;
        av_frame_unref(ours.get());
        ASSERT_EQ(take(*ours, true), 0);
        EXPECT_EQ(ours->data[0], firstPlane);
        EXPECT_EQ(written(), 7);
        buffers.ForgetContents();
        for (const int expected : {0, 7}) {
            av_frame_unref(ours.get());
            ASSERT_EQ(take(*ours, true), 0);
            ASSERT_EQ(ours->data[0], firstPlane);
            EXPECT_EQ(written(), expected);
            ours->buf[0]->data[ours->buf[0]->size - 1] = 7;
        }
    }
}
