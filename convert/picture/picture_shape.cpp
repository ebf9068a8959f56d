#include "convert/picture/picture_shape.h"

#include <algorithm>
#include <cstdint>

namespace {

// a × b / c rounded to the nearest whole number, halves away from zero, as av_rescale rounds.
std::int64_t Rescale(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return (2 * a * b + c) / (2 * c);
}

}  // namespace

PictureSize ShapedSize(PictureSize upright, AVRational sampleAspect, const PictureShape& shape)
{
    std::int64_t width = upright.width;
    std::int64_t height = upright.height;
    if (shape.squarePixels && sampleAspect.num > 0 && sampleAspect.den > 0)
        width = std::max<std::int64_t>(1, Rescale(width, sampleAspect.num, sampleAspect.den));
    const bool tooWide = shape.fitWidth > 0 && width > shape.fitWidth;
    const bool tooHigh = shape.fitHeight > 0 && height > shape.fitHeight;
    if (tooWide || tooHigh) {
        // The side that limits most: fitWidth / width against fitHeight / height, multiplied out.
        const bool byWidth = shape.fitHeight <= 0 || (shape.fitWidth > 0 && std::int64_t{shape.fitWidth} * height <= std::int64_t{shape.fitHeight} * width);
        if (byWidth) {
            height = std::max<std::int64_t>(1, Rescale(height, shape.fitWidth, width));
            width = shape.fitWidth;
        } else {
            width = std::max<std::int64_t>(1, Rescale(width, shape.fitHeight, height));
            height = shape.fitHeight;
        }
    }
    return {static_cast<int>(width), static_cast<int>(height)};
}
