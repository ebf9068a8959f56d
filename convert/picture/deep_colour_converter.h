#pragma once

#include "common/simd_level.h"
#include "convert/picture/deep_colour.h"
#include "convert/picture/frame_handles.h"
#include "convert/picture/packed_dib.h"
#include "convert/picture/sws_colours.h"

#include <cstdint>
#include <optional>
#include <vector>

// Turns 9- to 14-bit 4:2:0 pictures of even width and height into the very bitmap swscale makes of them
// at their own size, several times faster: swscale has no vector path from such samples to BGR. Its
// vertical chroma filter is read from swscale itself, the arithmetic is DeepColour's, and the last two
// rows, which swscale makes by other arithmetic, are left to swscale on the picture's last few rows.
class DeepColourConverter {
public:
    static constexpr int kMostTaps = 8;  // of the vertical chroma filter (bicubic has 4)

    explicit DeepColourConverter(SimdLevel level = FastestSimdLevel());

    // Whether it converts pictures of this kind; the others are for swscale whole.
    static bool Takes(const AVFrame& picture);

    // Converts into `into`, made the picture's size. Throws std::runtime_error when swscale cannot
    // convert pictures of this size (a damaged one), std::bad_alloc when memory runs out.
    void Convert(const AVFrame& picture, PackedDib& into);

private:
    struct Source {
        int width = 0;
        int height = 0;
        int format = -1;
        SwsColours colours;
        bool operator==(const Source&) const = default;
    };
    void Prepare(const AVFrame& picture);
    void ConvertLastRows(const AVFrame& picture, PackedDib& into);

    const DeepColourKernels& kernels_;
    Source builtFor_;
    std::optional<DeepColour> colour_;
    // For each row: the first chroma row its filter reads, and its taps (tapCount_ a row).
    std::vector<int> firstChromaRow_;
    std::vector<std::int16_t> taps_;
    int tapCount_ = 0;
    std::vector<std::int16_t> u_;
    std::vector<std::int16_t> v_;
    SwsContextPtr lastRows_;  // swscale over the picture's last kStripRows rows
    std::vector<std::uint8_t> strip_;
    int stripStride_ = 0;
};
