#pragma once

#include "convert/picture/deep_colour_converter.h"
#include "convert/picture/frame_handles.h"
#include "convert/picture/packed_dib.h"
#include "convert/picture/picture_shape.h"

#include <cstdint>
#include <optional>
#include <vector>

// Turns decoded pictures of any pixel format into bottom-up 24-bit BGR bitmaps of their own size, with
// the picture's own colour matrix and range (BT.601 when the stream names none) and, for palettized
// video, the palette that came with that picture. swscale makes every bitmap, but for 9- to 14-bit
// 4:2:0 at the picture's own size, which DeepColourConverter makes with the same bytes, faster.
class PictureConverter {
public:
    // Converts into `into`, made the picture's size or `size` (scaled bicubically in the picture's own
    // planes first, as the ffmpeg command's scale filter does). Throws std::runtime_error when the
    // conversion cannot be set up for this picture (a damaged one), std::bad_alloc when memory runs out.
    void Convert(const AVFrame& picture, PackedDib& into, std::optional<PictureSize> size = std::nullopt);

private:
    // What a swscale context converts: the picture's size, pixel format and colours.
    struct Source {
        int width = 0;
        int height = 0;
        int format = -1;
        int colourspace = 0;
        int fullRange = 0;
        PictureSize size;  // of the bitmap
        bool operator==(const Source&) const = default;
    };
    static Source SourceOf(const AVFrame& picture, std::optional<PictureSize> size);
    // A context for `source`, with its colours set; the output depends on nothing else.
    void Prepare(const Source& source);

    DeepColourConverter deep_;  // 9- to 14-bit 4:2:0 at its own size
    SwsContextPtr context_;
    Source builtFor_;
    // swscale works in whole blocks of pixels: unless a row is a whole number of its largest blocks, it
    // writes into rows of its own, aligned and padded, from which the bitmap's rows are copied.
    std::vector<std::uint8_t> rows_;
    int rowsStride_ = 0;
};
