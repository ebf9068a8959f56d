#pragma once

#include "common/simd_level.h"
#include "convert/picture/aligned_bytes.h"
#include "convert/picture/frame_handles.h"
#include "convert/picture/hdr_signal.h"
#include "convert/picture/packed_dib.h"
#include "convert/picture/tone_curve.h"

#include <memory>
#include <optional>
#include <vector>

struct zimg_filter_graph;
struct ZimgGraphFreer {
    void operator()(zimg_filter_graph* graph) const;
};
using ZimgGraphPtr = std::unique_ptr<zimg_filter_graph, ZimgGraphFreer>;

// Turns HDR pictures into bottom-up 24-bit BGR bitmaps of SDR BT.709, as README's ffmpeg chain does,
// within a level: zimg makes linear light with BT.709 primaries exactly as the chain's first zscale
// does, a few rows at a time, and each row is tone-mapped and packed as it comes (ToneCurve), with no
// picture-sized buffer of floating-point light. One mapper works on one thread: the pool's threads
// each map their own pictures, in parallel.
class ToneMapper {
public:
    explicit ToneMapper(SimdLevel level = FastestSimdLevel());
    ToneMapper(const ToneMapper&) = delete;
    ToneMapper& operator=(const ToneMapper&) = delete;

    // Maps `picture`, whose transfer and peak `signal` gives, into `into`, made the picture's size.
    // Throws std::runtime_error when zimg cannot take this picture (a damaged one), std::bad_alloc
    // when memory runs out.
    void Map(const AVFrame& picture, const HdrSignal& signal, PackedDib& into);

private:
    // What a zimg graph is built for: pictures of another size or kind need a new one.
    struct Source {
        int width = 0;
        int height = 0;
        int format = -1;
        int colourspace = 0;
        int range = 0;
        int chromaLocation = 0;
        int transfer = 0;
        bool operator==(const Source&) const = default;
    };
    // The picture in a layout zimg takes: itself, or made 4:4:4 (odd sizes with subsampled colour,
    // semi-planar and packed layouts) or copied to aligned rows.
    const AVFrame& ZimgInput(const AVFrame& picture);
    void Prepare(const AVFrame& input, const HdrSignal& signal);

    const ToneCurveKernels& kernels_;
    std::vector<std::int32_t> levels_;
    ZimgGraphPtr graph_;
    Source builtFor_;
    std::optional<ToneCurve> curve_;
    int curvePeak_ = 0;
    AlignedBytes scratch_;  // zimg's own
    AlignedBytes light_;    // the rows of linear light zimg writes, round and round
    unsigned lightMask_ = 0;
    std::size_t lightStride_ = 0;
    SwsContextPtr toFull_;
    FramePtr full_{av_frame_alloc()};
    FramePtr aligned_{av_frame_alloc()};
};
