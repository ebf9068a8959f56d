#pragma once

#include "convert/source/picture_buffers.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <atomic>
#include <cstdarg>

// What a decoder does not say when it returns: whether it met damage in the stream, and whether a
// picture buffer could not be had (the decoder then reports only a broken packet). It also hands the
// decoder its picture buffers.
//
// Damage is told reliably only in FFmpeg's log: the pictures carry the sign only now and then when
// several threads decode. The log goes through one callback for the whole process, installed once,
// which notes it for the decoder whose context names a watch as its opaque value; every thread of a
// decoder logs and allocates with a copy of that context.
class DecoderWatch {
public:
    // Must come before the decoder is opened, so that its threads' contexts copy the link. The buffers
    // of the decoder attached before are freed, or with `Buffers::Forgotten` kept for the new one, which
    // gets each cleared (PictureBuffers::ForgetContents).
    enum class Buffers { New, Forgotten };
    void Attach(AVCodecContext& decoder, Buffers buffers = Buffers::New);

    bool DamageSeen() const { return damage_.load(std::memory_order_acquire); }
    bool OutOfMemory() const { return outOfMemory_.load(std::memory_order_acquire); }

private:
    static void Log(void* logContext, int level, const char* format, va_list arguments);
    static int GetBuffer(AVCodecContext* decoder, AVFrame* picture, int flags);

    std::atomic<bool> damage_{false};
    std::atomic<bool> outOfMemory_{false};
    PictureBuffers buffers_;  // the attached decoder's
};
