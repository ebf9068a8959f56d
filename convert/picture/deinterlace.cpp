#include "convert/picture/deinterlace.h"

#include "convert/picture/frame_handles.h"
#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct FilterGraphFreer {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphFreer>;

[[noreturn]] void Fail()
{
    if (MemoryIsShort())
        throw std::bad_alloc();
    throw std::runtime_error("cannot deinterlace this picture");
}

bool Alike(const AVFrame* neighbour, const AVFrame& picture)
{
    return neighbour && neighbour->width == picture.width && neighbour->height == picture.height && neighbour->format == picture.format;
}

}  // namespace

void Deinterlace(const AVFrame* previous, const AVFrame& picture, const AVFrame* next, AVFrame& out)
{
    av_frame_unref(&out);
    if (!picture.interlaced_frame) {
        if (av_frame_ref(&out, &picture) < 0)
            throw std::bad_alloc();
        return;
    }
    // A graph for each picture: one that has put out its picture holds the next one back.
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        throw std::bad_alloc();
    graph->nb_threads = 1;  // the encoders' threads are the parallelism
    AVFilterContext* input = nullptr;
    AVFilterContext* bwdif = nullptr;
    AVFilterContext* output = nullptr;
    const AVRational aspect = picture.sample_aspect_ratio.num > 0 ? picture.sample_aspect_ratio : AVRational{1, 1};
    const std::string arguments = "video_size=" + std::to_string(picture.width) + "x" + std::to_string(picture.height)
        + ":pix_fmt=" + std::to_string(picture.format) + ":time_base=1/1:pixel_aspect=" + std::to_string(aspect.num) + "/"
        + std::to_string(aspect.den);
    if (avfilter_graph_create_filter(&input, avfilter_get_by_name("buffer"), "in", arguments.c_str(), nullptr, graph.get()) < 0
        || avfilter_graph_create_filter(&bwdif, avfilter_get_by_name("bwdif"), "bwdif", "mode=send_frame:parity=auto:deint=interlaced",
               nullptr, graph.get()) < 0
        || avfilter_graph_create_filter(&output, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph.get()) < 0
        || avfilter_link(input, 0, bwdif, 0) < 0 || avfilter_link(bwdif, 0, output, 0) < 0
        || avfilter_graph_config(graph.get(), nullptr) < 0)
        Fail();

    const AVFrame* fed[] = {Alike(previous, picture) ? previous : nullptr, &picture, Alike(next, picture) ? next : nullptr};
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw std::bad_alloc();
    std::int64_t pts = 0;
    for (const AVFrame* each : fed) {
        if (!each)
            continue;
        if (av_frame_ref(frame.get(), each) < 0)
            throw std::bad_alloc();
        frame->pts = pts++;
        if (av_buffersrc_add_frame(input, frame.get()) < 0)
            Fail();
    }
    if (!fed[2] && av_buffersrc_add_frame(input, nullptr) < 0)
        Fail();
    // The filter puts out the picture before this one first, when it was fed.
    for (int skipped = fed[0] ? 1 : 0;; --skipped) {
        if (av_buffersink_get_frame(output, &out) < 0)
            Fail();
        if (skipped == 0)
            return;
        av_frame_unref(&out);
    }
}
