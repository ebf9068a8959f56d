#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <cstddef>
#include <memory>
#include <new>

namespace {

// Still easy to reserve unless memory really is exhausted.
constexpr std::size_t kShortMemoryProbe = std::size_t{256} << 20;

}  // namespace

bool MemoryIsShort()
{
    // Through FFmpeg's own allocator, which the compiler cannot see through and leave out.
    const std::unique_ptr<void, decltype(&av_free)> probe(av_malloc(kShortMemoryProbe), &av_free);
    return !probe;
}

void ThrowIfOutOfMemory(int error)
{
    if (error == AVERROR(ENOMEM) && MemoryIsShort())
        throw std::bad_alloc();
}
