#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <cstring>

// FFmpeg copies some colour numbers out of streams and headers as they stand, so a damaged file may
// hold numbers no enumerator has; reading such a number as its enum would be undefined behaviour. These
// read the bits as a number first.

// `field`, or `unknown` when it holds no value below `count`.
template <class Enum>
Enum KnownOr(const Enum& field, int count, Enum unknown)
{
    static_assert(sizeof(Enum) == sizeof(int));
    int value = 0;
    std::memcpy(&value, &field, sizeof value);
    return value >= 0 && value < count ? static_cast<Enum>(value) : unknown;
}

// Makes every colour field of `picture` that names nothing unspecified.
void ForgetUnknownColours(AVFrame& picture);
