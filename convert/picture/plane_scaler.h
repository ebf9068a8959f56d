#pragma once

#include "convert/picture/frame_handles.h"
#include "convert/picture/picture_shape.h"

// Scales pictures in their own pixel format, bicubically, as the ffmpeg command's scale filter does:
// a still fitted within a small size costs little when it is shrunk before anything else. One scaler
// works on one thread.
class PlaneScaler {
public:
    // `picture` at `size`, in a frame of the scaler's own, valid until its next call. Throws
    // std::runtime_error when swscale cannot take the picture, std::bad_alloc when memory runs out.
    const AVFrame& Scale(const AVFrame& picture, PictureSize size);

private:
    SwsContextPtr context_;
    FramePtr scaled_{av_frame_alloc()};
    int width_ = 0, height_ = 0, format_ = -1;
    PictureSize size_;
};
