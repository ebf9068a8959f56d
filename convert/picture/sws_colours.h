#pragma once

#include "convert/picture/frame_handles.h"
#include "convert/picture/picture_shape.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

// The colours swscale is told a picture has: its matrix (SWS_CS_*, BT.601 when the stream names
// none) and whether its range is full.
struct SwsColours {
    int colourspace = 0;
    bool fullRange = false;
    bool operator==(const SwsColours&) const = default;
};

SwsColours SwsColoursOf(const AVFrame& picture);

// The full-range ("J") formats are their plain formats with the range set apart: swscale would
// otherwise rebuild its context for every picture of such a stream.
AVPixelFormat PlainFormatOf(AVPixelFormat format);

// A bicubic context from `format` at `width`×`height` to 24-bit BGR of `size`, given its colours at
// once (swscale's cached contexts are rebuilt behind the caller's back, for an odd width for instance,
// which drops the colours set before). None when it cannot be made, for a damaged picture's size or
// format.
SwsContextPtr BgrContext(int width, int height, AVPixelFormat format, PictureSize size, const SwsColours& colours);
