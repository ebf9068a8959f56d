#pragma once

#include "convert/ffmpeg_handles.h"
#include "convert/packed_dib.h"

#include <cstdint>
#include <vector>

// Turns decoded pictures of any pixel format into bottom-up 24-bit BGR bitmaps of a fixed size, with
// the picture's own colour matrix and range (BT.601 when the stream names none) and, for palettized
// video, the palette that came with that picture.
class PictureConverter {
public:
    PictureConverter(int width, int height) : width_(width), height_(height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Throws std::runtime_error when the conversion cannot be set up.
    PackedDib Convert(const AVFrame& picture);

private:
    int width_;
    int height_;
    SwsContextPtr context_;
    // swscale may write a little past the end of a row, so it writes into rows of its own, aligned and
    // padded, from which the bitmap's rows are copied.
    std::vector<std::uint8_t> rows_;
    int rowsStride_ = 0;
    // The colour details last given to the context, so they are set only when they change.
    int colourKey_ = -1;
};
