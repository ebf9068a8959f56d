#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavfilter/avfilter.h>
#include <libswscale/swscale.h>
}

#include <memory>

// One owning pointer type per FFmpeg object of the picture stage, each freed by its own function.
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct FilterGraphFreer {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct FilterInOutFreer {
    void operator()(AVFilterInOut* list) const { avfilter_inout_free(&list); }
};
struct SwsContextFreer {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFreer>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutFreer>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextFreer>;
