#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

// One owning pointer type per FFmpeg object of the picture stage, each freed by its own function.
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct SwsContextFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextFreer>;
