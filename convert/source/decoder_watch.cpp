#include "convert/source/decoder_watch.h"

#include "convert/picture/memory_shortage.h"

#include <cstdarg>
#include <mutex>

void DecoderWatch::Attach(AVCodecContext& decoder)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(Log); });
    decoder.opaque = this;
    buffers_ = PictureBuffers();
    decoder.get_buffer2 = GetBuffer;
}

void DecoderWatch::Log(void* logContext, int level, const char* format, va_list arguments)
{
    // Every object FFmpeg logs with starts with its class.
    if (logContext && level <= AV_LOG_ERROR && *static_cast<const AVClass* const*>(logContext) == avcodec_get_class()) {
        if (auto* watch = static_cast<DecoderWatch*>(static_cast<AVCodecContext*>(logContext)->opaque))
            watch->damage_.store(true, std::memory_order_release);
    }
    av_log_default_callback(logContext, level, format, arguments);
}

int DecoderWatch::GetBuffer(AVCodecContext* decoder, AVFrame* picture, int flags)
{
    auto* watch = static_cast<DecoderWatch*>(decoder->opaque);
    const int result = watch->buffers_.Get(*decoder, *picture, flags);
    // A buffer refused for a picture of absurd size is damage; only a real shortage is out of memory.
    if (result == AVERROR(ENOMEM) && MemoryIsShort())
        watch->outOfMemory_.store(true, std::memory_order_release);
    return result;
}
