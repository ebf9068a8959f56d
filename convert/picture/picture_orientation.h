#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstddef>
#include <cstdint>

// One of the eight ways to turn and mirror a picture, as a display matrix asks for it. Pixel (x, y) of
// the result comes from the source pixel (a, b) = transpose ? (y, x) : (x, y), with a counted from the
// right when mirrorX is set and b from the bottom when mirrorY is set.
struct Orientation {
    bool transpose = false;
    bool mirrorX = false;
    bool mirrorY = false;

    bool IsUpright() const { return !transpose && !mirrorX && !mirrorY; }
    bool operator==(const Orientation&) const = default;
};

// What a display matrix (nine 16.16 and 2.30 fixed-point values, or none) asks for, by the rules the
// ffmpeg command follows when it rotates automatically: the angle rounded to whole degrees, a quarter
// turn taken within one degree, mirroring read from the signs of the matrix. Other angles are taken
// to the nearest quarter turn; a matrix that says nothing (singular) leaves the picture as it is.
Orientation OrientationOfMatrix(const std::int32_t* matrix);

// The orientation of a decoded picture: its own display matrix, else the stream's `streamMatrix`.
Orientation OrientationOfPicture(const AVFrame& picture, const std::int32_t* streamMatrix);

// Copies a plane of width x height elements of `elementSize` bytes (1, 2, 3, 4, 6 or 8), turned: the
// result is height x width when transposed. Strides may be negative.
void OrientPlane(const std::uint8_t* source, std::ptrdiff_t sourceStride, int width, int height, int elementSize,
    Orientation orientation, std::uint8_t* target, std::ptrdiff_t targetStride);

// Makes `into` a copy of `picture` turned by `orientation`, plane by plane in the picture's own pixel
// format, as the ffmpeg command turns pictures before their colours are converted; `into` keeps its
// buffers when they fit. False when the format's planes cannot be turned one by one (packed formats
// with subsampled colour); the picture is then left for its bitmap to be turned. Throws std::bad_alloc.
bool OrientFrame(const AVFrame& picture, Orientation orientation, AVFrame& into);
