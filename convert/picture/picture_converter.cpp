#include "convert/picture/picture_converter.h"

#include "convert/picture/memory_shortage.h"
#include "convert/picture/sws_colours.h"

#include <cstring>
#include <stdexcept>

namespace {

// Rows this many pixels wide are whole blocks for every converter swscale has, which process up to
// 32 pixels at a time; at 24 bits they also keep every row on a 32-byte boundary.
constexpr int kWholeBlockPixels = 32;

}  // namespace

PictureConverter::Source PictureConverter::SourceOf(const AVFrame& picture, std::optional<PictureSize> size)
{
    const SwsColours colours = SwsColoursOf(picture);
    return Source{picture.width, picture.height, PlainFormatOf(static_cast<AVPixelFormat>(picture.format)), colours.colourspace,
        colours.fullRange ? 1 : 0, size.value_or(PictureSize{picture.width, picture.height})};
}

void PictureConverter::Prepare(const Source& source)
{
    if (context_ && source == builtFor_)
        return;
    // A context is built only for what it converts.
    context_.reset();
    rows_.clear();
    context_ = BgrContext(source.width, source.height, static_cast<AVPixelFormat>(source.format), source.size,
        SwsColours{source.colourspace, source.fullRange != 0});
    if (!context_) {
        // A picture whose conversion cannot be set up is damaged, unless memory really is short.
        if (MemoryIsShort())
            throw std::bad_alloc();
        throw std::runtime_error("cannot convert this picture");
    }
    builtFor_ = source;
}

void PictureConverter::Convert(const AVFrame& picture, PackedDib& into, std::optional<PictureSize> size)
{
    if ((!size || *size == PictureSize{picture.width, picture.height}) && DeepColourConverter::Takes(picture)) {
        deep_.Convert(picture, into);
        return;
    }
    const Source source = SourceOf(picture, size);
    Prepare(source);
    const int width = source.size.width;
    const int height = source.size.height;
    into.Resize(width, height);
    // Rows of whole blocks can take swscale's output directly, bottom row last (a negative stride).
    if (width % kWholeBlockPixels == 0) {
        uint8_t* destination[4] = {into.TopDownRow(0), nullptr, nullptr, nullptr};
        const int destinationStride[4] = {-static_cast<int>(into.Stride()), 0, 0, 0};
        if (sws_scale(context_.get(), picture.data, picture.linesize, 0, picture.height, destination, destinationStride) <= 0)
            throw std::runtime_error("picture conversion failed");
        return;
    }
    if (rows_.empty()) {
        // Room for the width rounded up to whole blocks of 8 pixels: swscale's fast paths convert only
        // whole blocks when the rows are narrower than that, leaving the last pixels unwritten.
        rowsStride_ = ((width + 16) * 3 + 63) & ~63;
        rows_.resize(static_cast<std::size_t>(rowsStride_) * height + 64);
    }
    uint8_t* destination[4] = {rows_.data(), nullptr, nullptr, nullptr};
    const int destinationStride[4] = {rowsStride_, 0, 0, 0};
    if (sws_scale(context_.get(), picture.data, picture.linesize, 0, picture.height, destination, destinationStride) <= 0)
        throw std::runtime_error("picture conversion failed");
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(into.TopDownRow(y), rows_.data() + static_cast<std::size_t>(y) * rowsStride_, rowBytes);
}
