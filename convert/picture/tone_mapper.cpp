#include "convert/picture/tone_mapper.h"

#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

// A failure to build or run the chain is the picture's fault, unless memory really is short.
[[noreturn]] void Fail(const char* what)
{
    if (MemoryIsShort())
        throw std::bad_alloc();
    throw std::runtime_error(what);
}

// The colours the chain reads from each picture, where the picture leaves them open: the stream's
// transfer and BT.2020 primaries (which made it HDR), the BT.2020 matrix, limited range.
void FillColours(AVFrame& picture, const HdrSignal& signal)
{
    picture.color_trc = signal.transfer;
    picture.color_primaries = AVCOL_PRI_BT2020;
    if (picture.colorspace == AVCOL_SPC_UNSPECIFIED)
        picture.colorspace = AVCOL_SPC_BT2020_NCL;
    if (picture.color_range == AVCOL_RANGE_UNSPECIFIED)
        picture.color_range = AVCOL_RANGE_MPEG;
}

}  // namespace

void ToneMapper::Prepare(const Source& source)
{
    if (graph_ && source == builtFor_)
        return;
    // The old graph goes first (its frames are large); the new one is kept only once it is whole, so a
    // failure leaves no half-built graph behind.
    graph_.reset();
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph || !fed_ || !mapped_)
        throw std::bad_alloc();
    // The pool's threads are the parallelism; a graph of its own threads would only compete with them.
    graph->nb_threads = 1;
    // Format conversions the graph inserts scale as the ffmpeg command's do.
    graph->scale_sws_opts = av_strdup("flags=bicubic");
    if (!graph->scale_sws_opts)
        throw std::bad_alloc();
    AVFilterContext* input = nullptr;
    AVFilterContext* output = nullptr;
    const std::string arguments = "video_size=" + std::to_string(source.width) + "x" + std::to_string(source.height)
        + ":pix_fmt=" + std::to_string(source.format) + ":time_base=1/1:pixel_aspect=1/1";
    if (avfilter_graph_create_filter(&input, avfilter_get_by_name("buffer"), "in", arguments.c_str(), nullptr, graph.get()) < 0
        || avfilter_graph_create_filter(&output, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph.get()) < 0)
        Fail("cannot tone-map this picture");
    // The chain ends in planar RGB, which is packed into the bitmap directly: a conversion to BGR in the
    // graph would only add a frame's pass and its memory.
    const AVPixelFormat planarRgb[] = {AV_PIX_FMT_GBRP, AV_PIX_FMT_NONE};
    if (av_opt_set_int_list(output, "pix_fmts", planarRgb, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN) < 0)
        Fail("cannot tone-map this picture");

    FilterInOutPtr chainInput(avfilter_inout_alloc());
    FilterInOutPtr chainOutput(avfilter_inout_alloc());
    if (!chainInput || !chainOutput)
        throw std::bad_alloc();
    chainInput->name = av_strdup("in");
    chainInput->filter_ctx = input;
    chainOutput->name = av_strdup("out");
    chainOutput->filter_ctx = output;
    if (!chainInput->name || !chainOutput->name)
        throw std::bad_alloc();
    // The chain's open ends: its input is fed by our source, its output feeds our sink.
    AVFilterInOut* inputs = chainOutput.release();
    AVFilterInOut* outputs = chainInput.release();
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(source.format));
    const bool wholeChromaBlocks = !format
        || (source.width % (1 << format->log2_chroma_w) == 0 && source.height % (1 << format->log2_chroma_h) == 0);
    const std::string chain = ToneMapChain(source.signal, wholeChromaBlocks);
    const int parsed = avfilter_graph_parse_ptr(graph.get(), chain.c_str(), &inputs, &outputs, nullptr);
    chainOutput.reset(inputs);
    chainInput.reset(outputs);
    if (parsed < 0 || avfilter_graph_config(graph.get(), nullptr) < 0)
        Fail("cannot tone-map this picture");
    graph_ = std::move(graph);
    input_ = input;
    output_ = output;
    builtFor_ = source;
}

void ToneMapper::Map(const AVFrame& picture, const HdrSignal& signal, PackedDib& into)
{
    Prepare(Source{picture.width, picture.height, picture.format, signal});
    if (av_frame_ref(fed_.get(), &picture) < 0)
        throw std::bad_alloc();
    FillColours(*fed_, signal);
    // The graph takes the reference; the picture's buffers stay shared, never copied.
    const bool mapped = av_buffersrc_add_frame(input_, fed_.get()) >= 0 && av_buffersink_get_frame(output_, mapped_.get()) >= 0;
    if (!mapped) {
        // A graph that failed midway may hold a picture back: the next picture gets a new one.
        av_frame_unref(fed_.get());
        graph_.reset();
        Fail("cannot tone-map this picture");
    }
    const int width = mapped_->width;
    const int height = mapped_->height;
    into.Resize(width, height);
    for (int y = 0; y < height; ++y) {
        // gbrp keeps green, blue and red in planes 0, 1 and 2.
        const std::uint8_t* __restrict green = mapped_->data[0] + static_cast<std::ptrdiff_t>(y) * mapped_->linesize[0];
        const std::uint8_t* __restrict blue = mapped_->data[1] + static_cast<std::ptrdiff_t>(y) * mapped_->linesize[1];
        const std::uint8_t* __restrict red = mapped_->data[2] + static_cast<std::ptrdiff_t>(y) * mapped_->linesize[2];
        std::uint8_t* __restrict row = into.TopDownRow(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = blue[x];
            row[3 * x + 1] = green[x];
            row[3 * x + 2] = red[x];
        }
    }
    av_frame_unref(mapped_.get());
}
