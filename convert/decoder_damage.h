#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <atomic>

// Whether a decoder has met damage in its stream. FFmpeg's decoders say so reliably only in their log:
// the pictures they put out carry the sign only now and then when several threads decode. The log goes
// through one callback for the whole process, installed once, which raises the flag that a decoder's
// context names as its opaque value; every thread of that decoder logs with a copy of that context.
class DamageFlag {
public:
    // Must come before the decoder is opened, so that its threads' contexts copy the link.
    void Watch(AVCodecContext& decoder);
    bool Raised() const { return raised_.load(std::memory_order_acquire); }

private:
    friend void RaiseDamageFlag(void* logContext, int level);
    std::atomic<bool> raised_{false};
};
