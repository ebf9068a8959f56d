#pragma once

#include "convert/picture/frame_handles.h"
#include "convert/picture/hdr_signal.h"
#include "convert/picture/jpeg_planes.h"
#include "convert/picture/packed_dib.h"
#include "convert/picture/picture_orientation.h"

#include <optional>

// One picture as the decoder put it out, kept until an encoder thread turns it into a bitmap, so the
// decoding thread does nothing but decode.
class DecodedPicture {
public:
    // Takes over the picture's buffers; its images will be turned by `orientation` (as a player shows
    // it), have the picture's own size, turned, and be tone-mapped to SDR when `hdr` is given.
    DecodedPicture(FramePtr picture, Orientation orientation, std::optional<HdrSignal> hdr = std::nullopt)
        : picture_(std::move(picture)), orientation_(orientation), hdr_(hdr) {}

    // The memory its buffers take.
    std::size_t Bytes() const;

    // The size of the images, turned.
    int Width() const { return orientation_.transpose ? picture_->height : picture_->width; }
    int Height() const { return orientation_.transpose ? picture_->width : picture_->height; }

    // The picture as a packed 24-bit bitmap, converted on the calling thread, into `into` (whose memory
    // is kept when it has the right size) or a new one. Throws std::runtime_error when its pixel
    // format cannot be converted.
    void ToPackedDib(PackedDib& into) const;
    PackedDib ToPackedDib() const;

    // The picture as planes a JPEG can be made from directly, when it is 4:2:0 video of 8 to 12 bits in
    // the BT.601 colours JPEG uses and needs no tone mapping. Limited-range video is stretched to full
    // range, deeper samples rounded to 8 bits and planes of odd size padded, into buffers of the calling
    // thread, valid until its next call. None for any other picture.
    std::optional<JpegPlanes> ToJpegPlanes() const;

private:
    // The picture turned, in its own pixel format, in a buffer of the calling thread that is valid until
    // its next call; the picture itself when it stands upright already. Null when its planes cannot be
    // turned one by one: its bitmap is turned instead.
    const AVFrame* UprightPlanes() const;

    // Converts a picture of this kind (upright or as stored) into a bitmap of its size.
    void Convert(const AVFrame& picture, PackedDib& into) const;

    FramePtr picture_;
    Orientation orientation_;
    std::optional<HdrSignal> hdr_;
};
