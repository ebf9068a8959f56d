#pragma once

extern "C" {
#include <libavutil/rational.h>
}

// How the pictures are shaped before they are written, each off by default.
struct PictureShape {
    int fitWidth = 0;     // pictures wider are shrunk to fit, keeping their shape; 0: any width
    int fitHeight = 0;    // the same for the height
    bool squarePixels = false;  // pictures of non-square samples are widened or narrowed as a player shows them
    bool deinterlace = false;   // pictures flagged interlaced are deinterlaced (bwdif), one still per picture

    bool Resizes() const { return fitWidth > 0 || fitHeight > 0 || squarePixels; }
    bool operator==(const PictureShape&) const = default;
};

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The size a picture of `upright` size (turned as a player shows it, of samples `sampleAspect` wide
// for each one high, 0/0 or 0/1 when unknown) is written at, as these ffmpeg filters give it after
// turning: square pixels, scale='trunc(iw*sar+0.5)':ih; then fitting within, never enlarging, each side
// rounded to the nearest whole pixel (force_original_aspect_ratio=decrease) and at least 1.
PictureSize ShapedSize(PictureSize upright, AVRational sampleAspect, const PictureShape& shape);
