#pragma once

extern "C" {
#include <libavcodec/codec_par.h>
}

// How many threads decode a video's pictures. A small picture decodes in a millisecond or two, and
// passing it between decoding threads would cost more than it saves, so it decodes on the caller's
// thread alone; larger pictures are decoded on `forLargePictures` threads, and 4K pictures of more
// than 8 bits on `forDeep4kPictures`: each frame thread holds one picture of 25 MB or more, and
// 10-bit HEVC at 4K decodes as fast on one thread fewer.
struct DecoderThreading {
    int forLargePictures = 1;
    int forDeep4kPictures = 1;

    // Threads for decoding the pictures of a stream (1: on the caller's thread only).
    int For(const AVCodecParameters& stream) const;

    // Pictures of at least this many pixels (1280×720) are large.
    static constexpr long long kLargeFrom = 1280LL * 720;
    static constexpr long long k4kFrom = 3840LL * 2160;
};
