#include "convert/picture/deinterlace.h"

#include "convert/picture/filter_library.h"
#include "convert/picture/frame_handles.h"
#include "convert/picture/memory_shortage.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct FilterGraphFreer {
    void operator()(AVFilterGraph* graph) const { LoadedFilterLibrary().graphFree(&graph); }
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
    const FilterLibrary& filters = LoadedFilterLibrary();
    // A graph for each picture: one that has put out its picture holds the next one back.
    FilterGraphPtr graph(filters.graphAlloc());
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
    if (filters.graphCreateFilter(&input, filters.getByName("buffer"), "in", arguments.c_str(), nullptr, graph.get()) < 0
        || filters.graphCreateFilter(&bwdif, filters.getByName("bwdif"), "bwdif", "mode=send_frame:parity=auto:deint=interlaced",
               nullptr, graph.get()) < 0
        || filters.graphCreateFilter(&output, filters.getByName("buffersink"), "out", nullptr, nullptr, graph.get()) < 0
        || filters.link(input, 0, bwdif, 0) < 0 || filters.link(bwdif, 0, output, 0) < 0
        || filters.graphConfig(graph.get(), nullptr) < 0)
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
        if (filters.buffersrcAddFrame(input, frame.get()) < 0)
            Fail();
    }
    if (!fed[2] && filters.buffersrcAddFrame(input, nullptr) < 0)
        Fail();
    // The filter puts out the picture before this one first, when it was fed.
    for (int skipped = fed[0] ? 1 : 0;; --skipped) {
        if (filters.buffersinkGetFrame(output, &out) < 0)
            Fail();
        if (skipped == 0)
            return;
        av_frame_unref(&out);
    }
}
