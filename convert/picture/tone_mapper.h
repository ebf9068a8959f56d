#pragma once

#include "convert/picture/frame_handles.h"
#include "convert/picture/hdr_signal.h"
#include "convert/picture/packed_dib.h"

// Turns HDR pictures into bottom-up 24-bit BGR bitmaps of SDR BT.709, through the libavfilter chain
// ToneMapChain names, so the `ffmpeg` command running that chain gives the same pixels. One mapper
// works on one thread: the pool's threads each map their own pictures, in parallel.
class ToneMapper {
public:
    // Maps `picture`, whose transfer and peak `signal` gives, into `into`, made the picture's size.
    // Throws std::runtime_error when the chain cannot take this picture (a damaged one), std::bad_alloc
    // when memory runs out.
    void Map(const AVFrame& picture, const HdrSignal& signal, PackedDib& into);

private:
    // What a filter graph is built for: pictures of another size or kind need a new one.
    struct Source {
        int width = 0;
        int height = 0;
        int format = -1;
        HdrSignal signal;
        bool operator==(const Source&) const = default;
    };
    void Prepare(const Source& source);

    FilterGraphPtr graph_;
    AVFilterContext* input_ = nullptr;   // owned by graph_
    AVFilterContext* output_ = nullptr;  // owned by graph_
    Source builtFor_;
    FramePtr fed_{av_frame_alloc()};
    FramePtr mapped_{av_frame_alloc()};
};
