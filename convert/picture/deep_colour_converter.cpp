#include "convert/picture/deep_colour_converter.h"

#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

// swscale's last rows are made again from the picture's last rows this many: as many rows of chroma as
// the filter needs below them and more, the same filter at the picture's foot (an even height halves
// the chroma exactly, so the filter's steps do not drift between the two).
constexpr int kStripRows = 16;
constexpr int kRowsBySwscale = 2;

// swscale's vertical chroma filter for 4:2:0 pictures of `height` rows, read from swscale itself: it
// scales chroma to the picture's rows with that very filter when making 4:2:2 of 16 bits, exactly. In
// column k, chroma rows k, k + 16, ... stand above a mid grey, so each row of the output shows in
// column k its coefficient for the one of those rows it reads. False when what comes out is not a
// filter of whole coefficients summing to one.
bool ReadChromaFilter(int height, std::vector<int>& first, std::vector<std::int16_t>& taps, int& tapCount)
{
    constexpr int kColumns = 16;
    constexpr int kGrey = 20000;
    constexpr int kRaised = 40000;
    const int rows = height / 2;
    const FramePtr in(av_frame_alloc());
    const FramePtr out(av_frame_alloc());
    if (!in || !out)
        throw std::bad_alloc();
    in->format = AV_PIX_FMT_YUV420P16;
    out->format = AV_PIX_FMT_YUV422P16;
    in->width = out->width = 2 * kColumns;
    in->height = out->height = height;
    if (av_frame_get_buffer(in.get(), 0) < 0 || av_frame_get_buffer(out.get(), 0) < 0)
        throw std::bad_alloc();
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? rows : height); ++y) {
            auto* row = reinterpret_cast<std::uint16_t*>(in->data[p] + static_cast<std::ptrdiff_t>(y) * in->linesize[p]);
            for (int x = 0; x < (p ? kColumns : 2 * kColumns); ++x)
                row[x] = p && x == y % kColumns ? kRaised : kGrey;
        }
    const SwsContextPtr probe(sws_getContext(in->width, height, AV_PIX_FMT_YUV420P16, out->width, height, AV_PIX_FMT_YUV422P16,
        SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!probe || sws_scale(probe.get(), in->data, in->linesize, 0, height, out->data, out->linesize) != height)
        return false;

    // Row y's coefficients for the chroma rows within reach of it, from `low`.
    std::vector<std::vector<int>> coefficients(static_cast<std::size_t>(height));
    std::vector<int> low(static_cast<std::size_t>(height));
    tapCount = 1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(out->data[1] + static_cast<std::ptrdiff_t>(y) * out->linesize[1]);
        const int from = std::clamp(y / 2 - kColumns / 2 + 1, 0, std::max(rows - kColumns, 0));
        const int to = std::min(from + kColumns, rows);
        std::vector<int>& c = coefficients[y];
        int sum = 0;
        for (int r = from; r < to; ++r) {
            const double raised = (row[r % kColumns] - kGrey) * 4096.0 / (kRaised - kGrey);
            c.push_back(static_cast<int>(std::lround(raised)));
            if (std::abs(raised - c.back()) > 0.25)
                return false;
            sum += c.back();
        }
        if (sum != DeepColour::kWholeTap)
            return false;
        const auto nonZero = [](int k) { return k != 0; };
        const int lowest = static_cast<int>(std::ranges::find_if(c, nonZero) - c.begin());
        const int highest = static_cast<int>(c.rend() - std::find_if(c.rbegin(), c.rend(), nonZero)) - 1;
        c.erase(c.begin() + highest + 1, c.end());
        c.erase(c.begin(), c.begin() + lowest);
        low[y] = from + lowest;
        tapCount = std::max(tapCount, static_cast<int>(c.size()));
    }
    if (tapCount > DeepColourConverter::kMostTaps)
        return false;
    // Every row reads tapCount chroma rows, from where its own taps start or as near as the chroma allows.
    first.assign(static_cast<std::size_t>(height), 0);
    taps.assign(static_cast<std::size_t>(height) * tapCount, 0);
    for (int y = 0; y < height; ++y) {
        first[y] = std::min(low[y], rows - tapCount);
        std::ranges::copy(coefficients[y], taps.begin() + static_cast<std::ptrdiff_t>(y) * tapCount + (low[y] - first[y]));
    }
    return true;
}

}  // namespace

DeepColourConverter::DeepColourConverter(SimdLevel level) : kernels_(DeepColourKernelsFor(level)) {}

bool DeepColourConverter::Takes(const AVFrame& picture)
{
#if defined(__x86_64__) || defined(__i386__)
    switch (picture.format) {
    case AV_PIX_FMT_YUV420P9:
    case AV_PIX_FMT_YUV420P10:
    case AV_PIX_FMT_YUV420P12:
    case AV_PIX_FMT_YUV420P14:
        // Odd sizes interpolate chroma with steps of their own: swscale's.
        return picture.width % 2 == 0 && picture.width > 0 && picture.height % 2 == 0 && picture.height >= kStripRows;
    default: return false;
    }
#else
    (void)picture;
    return false;  // swscale's arithmetic elsewhere is another
#endif
}

void DeepColourConverter::Prepare(const AVFrame& picture)
{
    const Source source{picture.width, picture.height, picture.format, SwsColoursOf(picture)};
    if (colour_ && source == builtFor_)
        return;
    colour_.reset();
    const auto format = static_cast<AVPixelFormat>(picture.format);
    lastRows_ = BgrContext(picture.width, kStripRows, format, PictureSize{picture.width, kStripRows}, source.colours);
    if (!lastRows_ || !ReadChromaFilter(picture.height, firstChromaRow_, taps_, tapCount_)) {
        if (MemoryIsShort())
            throw std::bad_alloc();
        throw std::runtime_error("cannot convert this picture");
    }
    stripStride_ = (picture.width * 3 + 63) & ~63;
    strip_.resize(static_cast<std::size_t>(stripStride_) * kStripRows);
    u_.resize(static_cast<std::size_t>(picture.width / 2));
    v_.resize(u_.size());
    colour_.emplace(sws_getCoefficients(source.colours.colourspace), source.colours.fullRange, av_pix_fmt_desc_get(format)->comp[0].depth);
    builtFor_ = source;
}

void DeepColourConverter::ConvertLastRows(const AVFrame& picture, PackedDib& into)
{
    const int top = picture.height - kStripRows;
    const std::uint8_t* planes[4] = {picture.data[0] + static_cast<std::ptrdiff_t>(top) * picture.linesize[0],
        picture.data[1] + static_cast<std::ptrdiff_t>(top / 2) * picture.linesize[1],
        picture.data[2] + static_cast<std::ptrdiff_t>(top / 2) * picture.linesize[2], nullptr};
    std::uint8_t* destination[4] = {strip_.data(), nullptr, nullptr, nullptr};
    const int destinationStride[4] = {stripStride_, 0, 0, 0};
    if (sws_scale(lastRows_.get(), planes, picture.linesize, 0, kStripRows, destination, destinationStride) != kStripRows)
        throw std::runtime_error("picture conversion failed");
    for (int y = kStripRows - kRowsBySwscale; y < kStripRows; ++y)
        std::memcpy(into.TopDownRow(top + y), strip_.data() + static_cast<std::size_t>(y) * stripStride_, static_cast<std::size_t>(picture.width) * 3);
}

void DeepColourConverter::Convert(const AVFrame& picture, PackedDib& into)
{
    Prepare(picture);
    into.Resize(picture.width, picture.height);
    const std::uint16_t* uRows[kMostTaps];
    const std::uint16_t* vRows[kMostTaps];
    const int count = picture.width / 2;
    for (int y = 0; y < picture.height - kRowsBySwscale; ++y) {
        for (int j = 0; j < tapCount_; ++j) {
            const std::ptrdiff_t row = firstChromaRow_[y] + j;
            uRows[j] = reinterpret_cast<const std::uint16_t*>(picture.data[1] + row * picture.linesize[1]);
            vRows[j] = reinterpret_cast<const std::uint16_t*>(picture.data[2] + row * picture.linesize[2]);
        }
        const std::int16_t* taps = taps_.data() + static_cast<std::ptrdiff_t>(y) * tapCount_;
        kernels_.filterChroma(*colour_, uRows, taps, tapCount_, count, u_.data());
        kernels_.filterChroma(*colour_, vRows, taps, tapCount_, count, v_.data());
        const auto* luma = reinterpret_cast<const std::uint16_t*>(picture.data[0] + static_cast<std::ptrdiff_t>(y) * picture.linesize[0]);
        kernels_.convertRow(*colour_, luma, u_.data(), v_.data(), picture.width, into.TopDownRow(y));
    }
    ConvertLastRows(picture, into);
}
