#pragma once

#include "convert/ffmpeg_handles.h"
#include "convert/image_encoder.h"
#include "convert/packed_dib.h"

#include <optional>

// One picture as the decoder put it out, kept until an encoder thread turns it into a bitmap, so the
// decoding thread does nothing but decode.
class DecodedPicture {
public:
    // Takes over the picture's buffers; the bitmap will be width x height.
    DecodedPicture(FramePtr picture, int width, int height)
        : picture_(std::move(picture)), width_(width), height_(height) {}

    // The picture as a packed 24-bit bitmap, converted on the calling thread, into `into` (whose memory
    // is kept when it has the right size) or a new one. Throws std::runtime_error when its pixel
    // format cannot be converted.
    void ToPackedDib(PackedDib& into) const;
    PackedDib ToPackedDib() const;

    // The picture as planes a JPEG can be made from directly, when it is 4:2:0 video in the BT.601
    // colours JPEG uses. Limited-range video is stretched to full range, and planes of odd size padded,
    // into buffers of the calling thread, valid until its next call. None for any other picture.
    std::optional<JpegPlanes> ToJpegPlanes() const;

private:
    FramePtr picture_;
    int width_;
    int height_;
};
