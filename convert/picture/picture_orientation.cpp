#include "convert/picture/picture_orientation.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Pixels are turned in tiles of this many elements a side, so that both the rows read and the rows
// written stay in the cache when rows become columns.
constexpr int kTile = 32;

template <int ElementSize>
void OrientElements(const std::uint8_t* source, std::ptrdiff_t sourceStride, int width, int height, Orientation o,
    std::uint8_t* target, std::ptrdiff_t targetStride)
{
    const int outWidth = o.transpose ? height : width;
    const int outHeight = o.transpose ? width : height;
    // Where the source pixel of result pixel (x, y) lies, as a start and a step in x and in y.
    const std::ptrdiff_t alongA = o.mirrorX ? -ElementSize : ElementSize;
    const std::ptrdiff_t alongB = o.mirrorY ? -sourceStride : sourceStride;
    const std::uint8_t* origin = source + (o.mirrorX ? std::ptrdiff_t{width - 1} * ElementSize : 0)
        + (o.mirrorY ? std::ptrdiff_t{height - 1} * sourceStride : 0);
    const std::ptrdiff_t stepX = o.transpose ? alongB : alongA;
    const std::ptrdiff_t stepY = o.transpose ? alongA : alongB;
    for (int tileY = 0; tileY < outHeight; tileY += kTile) {
        const int endY = std::min(outHeight, tileY + kTile);
        for (int tileX = 0; tileX < outWidth; tileX += kTile) {
            const int endX = std::min(outWidth, tileX + kTile);
            for (int y = tileY; y < endY; ++y) {
                const std::uint8_t* in = origin + y * stepY + tileX * stepX;
                std::uint8_t* out = target + y * targetStride + std::ptrdiff_t{tileX} * ElementSize;
                for (int x = tileX; x < endX; ++x, in += stepX, out += ElementSize)
                    std::memcpy(out, in, ElementSize);
            }
        }
    }
}

// Bytes per element of each plane: the step of the components the plane holds; 0 when the pixel format
// cannot be turned plane by plane.
bool PlaneElementSizes(const AVPixFmtDescriptor& format, int (&sizes)[4])
{
    std::fill(std::begin(sizes), std::end(sizes), 0);
    const bool subsampled = format.log2_chroma_w != 0 || format.log2_chroma_h != 0;
    if (format.flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM))
        return false;
    // Turning rows into columns must keep the colour planes' subsampling the same in both directions,
    // and colour shared by neighbours within one packed row cannot be split up.
    if (format.log2_chroma_w != format.log2_chroma_h || (subsampled && !(format.flags & AV_PIX_FMT_FLAG_PLANAR)))
        return false;
    for (int c = 0; c < format.nb_components; ++c) {
        const AVComponentDescriptor& component = format.comp[c];
        int& size = sizes[component.plane];
        if (size != 0 && size != component.step)
            return false;
        size = component.step;
    }
    for (int size : sizes) {
        if (size != 0 && size != 1 && size != 2 && size != 3 && size != 4 && size != 6 && size != 8)
            return false;
    }
    return true;
}

bool IsSubsampledPlane(const AVPixFmtDescriptor& format, int plane)
{
    return (plane == 1 || plane == 2) && !(format.flags & AV_PIX_FMT_FLAG_RGB);
}

}  // namespace

Orientation OrientationOfMatrix(const std::int32_t* matrix)
{
    if (!matrix)
        return {};
    // Counter-clockwise degrees to clockwise, rounded, folded into [0, 360).
    double theta = -std::round(av_display_rotation_get(matrix));
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    if (std::isnan(theta))
        return {};
    const int quarter = static_cast<int>(std::lround(theta / 90)) % 4;
    switch (quarter) {
    case 1: return matrix[3] > 0 ? Orientation{true, false, false} : Orientation{true, false, true};
    case 2: return Orientation{false, matrix[0] < 0, matrix[4] < 0};
    case 3: return matrix[3] < 0 ? Orientation{true, true, true} : Orientation{true, true, false};
    default: return Orientation{false, false, matrix[4] < 0};
    }
}

Orientation OrientationOfPicture(const AVFrame& picture, const std::int32_t* streamMatrix)
{
    const AVFrameSideData* own = av_frame_get_side_data(&picture, AV_FRAME_DATA_DISPLAYMATRIX);
    if (own && own->size >= 9 * sizeof(std::int32_t))
        return OrientationOfMatrix(reinterpret_cast<const std::int32_t*>(own->data));
    return OrientationOfMatrix(streamMatrix);
}

void OrientPlane(const std::uint8_t* source, std::ptrdiff_t sourceStride, int width, int height, int elementSize,
    Orientation orientation, std::uint8_t* target, std::ptrdiff_t targetStride)
{
    switch (elementSize) {
    case 1: OrientElements<1>(source, sourceStride, width, height, orientation, target, targetStride); break;
    case 2: OrientElements<2>(source, sourceStride, width, height, orientation, target, targetStride); break;
    case 3: OrientElements<3>(source, sourceStride, width, height, orientation, target, targetStride); break;
    case 4: OrientElements<4>(source, sourceStride, width, height, orientation, target, targetStride); break;
    case 6: OrientElements<6>(source, sourceStride, width, height, orientation, target, targetStride); break;
    case 8: OrientElements<8>(source, sourceStride, width, height, orientation, target, targetStride); break;
    default: break;
    }
}

bool OrientFrame(const AVFrame& picture, Orientation orientation, AVFrame& into)
{
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
    int sizes[4];
    if (!format || !PlaneElementSizes(*format, sizes))
        return false;
    const int width = orientation.transpose ? picture.height : picture.width;
    const int height = orientation.transpose ? picture.width : picture.height;
    if (into.format != picture.format || into.width != width || into.height != height || !av_frame_is_writable(&into)) {
        av_frame_unref(&into);
        into.format = picture.format;
        into.width = width;
        into.height = height;
        if (av_frame_get_buffer(&into, 0) < 0)
            throw std::bad_alloc();
    }
    // What the colours are converted by; side data stays with the picture itself.
    into.colorspace = picture.colorspace;
    into.color_range = picture.color_range;
    into.color_primaries = picture.color_primaries;
    into.color_trc = picture.color_trc;
    into.chroma_location = picture.chroma_location;
    for (int plane = 0; plane < 4; ++plane) {
        if (sizes[plane] == 0)
            continue;
        const bool subsampled = IsSubsampledPlane(*format, plane);
        const int planeWidth = subsampled ? AV_CEIL_RSHIFT(picture.width, format->log2_chroma_w) : picture.width;
        const int planeHeight = subsampled ? AV_CEIL_RSHIFT(picture.height, format->log2_chroma_h) : picture.height;
        OrientPlane(picture.data[plane], picture.linesize[plane], planeWidth, planeHeight, sizes[plane], orientation,
            into.data[plane], into.linesize[plane]);
    }
    // A palette goes with the pictures as it is.
    if (format->flags & AV_PIX_FMT_FLAG_PAL)
        std::memcpy(into.data[1], picture.data[1], AVPALETTE_SIZE);
    return true;
}
