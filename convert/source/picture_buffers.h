#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/buffer.h>
}

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_set>

struct BufferPoolFreer {
    void operator()(AVBufferPool* pool) const { av_buffer_pool_uninit(&pool); }
};
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolFreer>;

// One decoder's picture buffers, laid out as FFmpeg's own (the same planes, line sizes and padding, in
// pools that recycle them in the same order), but made of zero pages the system maps as they are first
// written, instead of being cleared whole when allocated. FFmpeg clears a 4K picture's 25 MB on the one
// thread that hands out buffers, which the decoding threads wait for, and the pages of a picture being
// decoded all count towards the peak at once. Under AddressSanitizer they come from FFmpeg's allocator,
// whose bounds it watches.
class PictureBuffers {
public:
    // As avcodec_default_get_buffer2, which it leaves decoders that keep their own buffers to.
    // FFmpeg never calls it for one decoder from two threads at once.
    int Get(AVCodecContext& decoder, AVFrame& picture, int flags);

    // Each buffer is handed out again cleared, as a new one is, the first time from now on: what it held
    // must not show where damage leaves a picture undecoded. Clearing costs less than new pages.
    void ForgetContents() { clearedSinceForgotten_.emplace(); }

private:
    int LayOut(AVCodecContext& decoder, const AVFrame& picture);

    int format_ = -1;
    int width_ = 0;
    int height_ = 0;
    std::array<int, 4> linesizes_{};
    std::array<BufferPoolPtr, 4> pools_;
    // Since ForgetContents: the buffers already cleared (a new buffer at the address of a freed one
    // needs no clearing).
    std::optional<std::unordered_set<const std::uint8_t*>> clearedSinceForgotten_;
};
