#pragma once

#include "convert/picture/frame_handles.h"
#include "convert/picture/hdr_signal.h"
#include "convert/picture/jpeg_planes.h"
#include "convert/picture/packed_dib.h"
#include "convert/picture/picture_orientation.h"
#include "convert/picture/picture_shape.h"

#include <optional>

// How a picture's images are shaped, and what shaping needs of the stream.
struct PictureShaping {
    PictureShape shape;
    AVRational sampleAspect{0, 1};  // of the stored picture, as the stream and the picture give it; 0: unknown
    // The pictures before and after it in decoding's output, for deinterlacing; null at the ends.
    FramePtr previous;
    FramePtr next;
};

// One picture as the decoder put it out, kept until an encoder thread turns it into a bitmap, so the
// decoding thread does nothing but decode.
class DecodedPicture {
public:
    // Takes over the picture's buffers; its images will be turned by `orientation` (as a player shows
    // it), have the picture's own size, turned and shaped as `shaping` asks, and be tone-mapped to SDR
    // when `hdr` is given.
    DecodedPicture(FramePtr picture, Orientation orientation, std::optional<HdrSignal> hdr = std::nullopt, PictureShaping shaping = {});

    // The memory its buffers take.
    std::size_t Bytes() const;

    // The size of the images, turned and shaped.
    int Width() const { return size_.width; }
    int Height() const { return size_.height; }

    // The picture as a packed 24-bit bitmap, converted on the calling thread, into `into` (whose memory
    // is kept when it has the right size) or a new one. Throws std::runtime_error when its pixel
    // format cannot be converted.
    void ToPackedDib(PackedDib& into) const;
    PackedDib ToPackedDib() const;

    // The picture as planes a JPEG can be made from directly, when it is 4:2:0 video of 8 to 12 bits in
    // the BT.601 colours JPEG uses and needs no tone mapping. Limited-range video is stretched to full
    // range, deeper samples rounded to 8 bits and planes of odd size padded, row by row as the encoder
    // asks for them; valid until the calling thread's next call. None for any other picture.
    std::optional<JpegPlanes> ToJpegPlanes() const;

private:
    // The picture turned, in its own pixel format, in a buffer of the calling thread that is valid until
    // its next call; the picture itself when it stands upright already. Null when its planes cannot be
    // turned one by one: its bitmap is turned instead.
    const AVFrame* UprightPlanes(const AVFrame& picture) const;

    // Converts a picture of this kind (upright or as stored) into a bitmap of `size`.
    void Convert(const AVFrame& picture, PictureSize size, PackedDib& into) const;
    // The picture to make images of: deinterlaced when that is asked and it is interlaced, in a buffer
    // of the calling thread valid until its next call; else the picture itself.
    const AVFrame& Source() const;
    bool Resized() const { return size_ != PictureSize{picture_->width, picture_->height} && size_ != PictureSize{picture_->height, picture_->width}; }

    FramePtr picture_;
    Orientation orientation_;
    std::optional<HdrSignal> hdr_;
    PictureShaping shaping_;
    PictureSize size_;
};
