#pragma once

// How many threads decode a video's pictures. A small picture decodes in a millisecond or two, and
// passing it between decoding threads would cost more than it saves, so it decodes on the caller's
// thread alone; larger pictures are decoded on `forLargePictures` threads.
struct DecoderThreading {
    int forLargePictures = 1;

    // Threads for decoding pictures of this size (1: on the caller's thread only).
    int For(int width, int height) const
    {
        return static_cast<long long>(width) * height >= kLargeFrom ? forLargePictures : 1;
    }

    // Pictures of at least this many pixels (1280×720) are large.
    static constexpr long long kLargeFrom = 1280LL * 720;
};
