#include "convert/source/picture_buffers.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define STILLPRESS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STILLPRESS_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef STILLPRESS_ADDRESS_SANITIZER
AVBufferRef* (*const kAllocate)(size_t) = av_buffer_allocz;
#else
void Unmap(void* size, std::uint8_t* data)
{
    munmap(data, reinterpret_cast<std::uintptr_t>(size));
}

// Fresh anonymous pages read as zeros, as FFmpeg's cleared buffers do, and are given memory only
// when written. Page-aligned, more than any vector load asks.
AVBufferRef* MapZeroPages(size_t size)
{
    void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        return nullptr;
    AVBufferRef* buffer = av_buffer_create(static_cast<std::uint8_t*>(pages), size, Unmap, reinterpret_cast<void*>(size), 0);
    if (!buffer)
        munmap(pages, size);
    return buffer;
}
AVBufferRef* (*const kAllocate)(size_t) = MapZeroPages;
#endif

}  // namespace

int PictureBuffers::Get(AVCodecContext& decoder, AVFrame& picture, int flags)
{
    // Decoders that keep buffers of their own, and hardware frames, stay with FFmpeg.
    if (!(decoder.codec->capabilities & AV_CODEC_CAP_DR1) || decoder.hw_frames_ctx)
        return avcodec_default_get_buffer2(&decoder, &picture, flags);
    if (format_ != picture.format || width_ != picture.width || height_ != picture.height) {
        if (const int laidOut = LayOut(decoder, picture); laidOut < 0)
            return laidOut;
    }
    std::fill(std::begin(picture.data), std::end(picture.data), nullptr);
    std::fill(std::begin(picture.linesize), std::end(picture.linesize), 0);
    picture.extended_data = picture.data;
    for (std::size_t i = 0; i < pools_.size() && pools_[i]; ++i) {
        picture.buf[i] = av_buffer_pool_get(pools_[i].get());
        if (!picture.buf[i]) {
            av_frame_unref(&picture);
            return AVERROR(ENOMEM);
        }
        picture.data[i] = picture.buf[i]->data;
        picture.linesize[i] = linesizes_[i];
        if (clearedSinceForgotten_ && clearedSinceForgotten_->insert(picture.data[i]).second)
            std::fill_n(picture.data[i], picture.buf[i]->size, std::uint8_t{0});
    }
    return 0;
}

int PictureBuffers::LayOut(AVCodecContext& decoder, const AVFrame& picture)
{
    for (BufferPoolPtr& pool : pools_)
        pool.reset();  // buffers still out return to nothing and are freed
    format_ = -1;
    const auto pixelFormat = static_cast<AVPixelFormat>(picture.format);
    int width = picture.width;
    int height = picture.height;
    int align[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(&decoder, &width, &height, align);
    // The width is widened until every plane's line size is a multiple of its alignment: line sizes
    // aligned one by one would break the ratio between planes some decoders count on.
    int linesizes[4] = {};
    for (;;) {
        if (const int filled = av_image_fill_linesizes(linesizes, pixelFormat, width); filled < 0)
            return filled;
        bool aligned = true;
        for (int i = 0; i < 4; ++i)
            aligned = aligned && (align[i] <= 0 || linesizes[i] % align[i] == 0);
        if (aligned)
            break;
        width += width & -width;
    }
    ptrdiff_t strides[4];
    std::copy(linesizes, linesizes + 4, strides);
    size_t sizes[4] = {};
    if (const int total = av_image_fill_plane_sizes(sizes, pixelFormat, height, strides); total < 0)
        return total;
    // As FFmpeg pads each plane: its vector code reads up to a vector past the last sample.
    const size_t padding = 16 + static_cast<size_t>(*std::max_element(align, align + 4)) - 1;
    for (std::size_t i = 0; i < pools_.size(); ++i) {
        linesizes_[i] = linesizes[i];
        if (sizes[i] == 0)
            continue;
        if (sizes[i] > INT_MAX - padding)
            return AVERROR(EINVAL);
        pools_[i].reset(av_buffer_pool_init(sizes[i] + padding, kAllocate));
        if (!pools_[i])
            return AVERROR(ENOMEM);
    }
    format_ = picture.format;
    width_ = picture.width;
    height_ = picture.height;
    return 0;
}
