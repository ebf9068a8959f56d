#include "convert/decoder_damage.h"

#include <cstdarg>
#include <mutex>

void RaiseDamageFlag(void* logContext, int level)
{
    if (!logContext || level > AV_LOG_ERROR)
        return;
    // Every object FFmpeg logs with starts with its class.
    if (*static_cast<const AVClass* const*>(logContext) != avcodec_get_class())
        return;
    if (auto* flag = static_cast<DamageFlag*>(static_cast<AVCodecContext*>(logContext)->opaque))
        flag->raised_.store(true, std::memory_order_release);
}

namespace {

void LogAndWatch(void* logContext, int level, const char* format, va_list arguments)
{
    RaiseDamageFlag(logContext, level);
    av_log_default_callback(logContext, level, format, arguments);
}

}  // namespace

void DamageFlag::Watch(AVCodecContext& decoder)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(LogAndWatch); });
    decoder.opaque = this;
}
