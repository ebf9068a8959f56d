#pragma once

#include "convert/ffmpeg_handles.h"
#include "convert/image_encoder.h"
#include "convert/packed_dib.h"
#include "convert/picture_orientation.h"

#include <optional>

// One picture as the decoder put it out, kept until an encoder thread turns it into a bitmap, so the
// decoding thread does nothing but decode.
class DecodedPicture {
public:
    // Takes over the picture's buffers; its images will be turned by `orientation` (as a player shows
    // it) and have the picture's own size, turned.
    DecodedPicture(FramePtr picture, Orientation orientation)
        : picture_(std::move(picture)), orientation_(orientation) {}

    // The size of the images, turned.
    int Width() const { return orientation_.transpose ? picture_->height : picture_->width; }
    int Height() const { return orientation_.transpose ? picture_->width : picture_->height; }

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
    // The picture turned, in its own pixel format, in a buffer of the calling thread that is valid until
    // its next call; the picture itself when it stands upright already. Null when its planes cannot be
    // turned one by one: its bitmap is turned instead.
    const AVFrame* UprightPlanes() const;

    FramePtr picture_;
    Orientation orientation_;
};
