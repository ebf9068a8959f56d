#include "convert/picture/plane_scaler.h"

#include "convert/picture/memory_shortage.h"

#include <new>
#include <stdexcept>

const AVFrame& PlaneScaler::Scale(const AVFrame& picture, PictureSize size)
{
    if (!scaled_)
        throw std::bad_alloc();
    if (!context_ || picture.width != width_ || picture.height != height_ || picture.format != format_ || size != size_) {
        context_.reset(sws_getContext(picture.width, picture.height, static_cast<AVPixelFormat>(picture.format), size.width,
            size.height, static_cast<AVPixelFormat>(picture.format), SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!context_) {
            if (MemoryIsShort())
                throw std::bad_alloc();
            throw std::runtime_error("cannot scale this picture");
        }
        width_ = picture.width;
        height_ = picture.height;
        format_ = picture.format;
        size_ = size;
    }
    av_frame_unref(scaled_.get());
    scaled_->format = picture.format;
    scaled_->width = size.width;
    scaled_->height = size.height;
    if (av_frame_get_buffer(scaled_.get(), 0) < 0 || av_frame_copy_props(scaled_.get(), &picture) < 0)
        throw std::bad_alloc();
    if (sws_scale(context_.get(), picture.data, picture.linesize, 0, picture.height, scaled_->data, scaled_->linesize) <= 0)
        throw std::runtime_error("cannot scale this picture");
    return *scaled_;
}
