#include "convert/source/decoder_watch.h"

#include "convert/picture/memory_shortage.h"

#include <cstdarg>
#include <mutex>
#include <string_view>

void DecoderWatch::Attach(AVCodecContext& decoder, Buffers buffers)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(Log); });
    decoder.opaque = this;
    if (buffers == Buffers::New)
        buffers_ = PictureBuffers();
    else
        buffers_.ForgetContents();
    decoder.get_buffer2 = GetBuffer;
}

namespace {

// Errors, and the warning with which MJPEG puts out a picture whose data ended before the picture did:
// what such a picture shows where its data is missing depends on what was decoded before it.
bool TellsOfDamage(int level, const char* format)
{
    constexpr std::string_view kCutShort = "EOI missing";
    return level <= AV_LOG_ERROR || (level <= AV_LOG_WARNING && std::string_view(format).starts_with(kCutShort));
}

}  // namespace

void DecoderWatch::Log(void* logContext, int level, const char* format, va_list arguments)
{
    // Every object FFmpeg logs with starts with its class.
    if (logContext && TellsOfDamage(level, format) && *static_cast<const AVClass* const*>(logContext) == avcodec_get_class()) {
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
