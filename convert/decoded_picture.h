#pragma once

#include "convert/ffmpeg_handles.h"
#include "convert/packed_dib.h"

// One picture as the decoder put it out, kept until an encoder thread turns it into a bitmap, so the
// decoding thread does nothing but decode.
class DecodedPicture {
public:
    // Takes over the picture's buffers; the bitmap will be width x height.
    DecodedPicture(FramePtr picture, int width, int height)
        : picture_(std::move(picture)), width_(width), height_(height) {}

    // The picture as a packed 24-bit bitmap, converted on the calling thread. Throws std::runtime_error
    // when its pixel format cannot be converted.
    PackedDib ToPackedDib() const;

private:
    FramePtr picture_;
    int width_;
    int height_;
};
