#include "convert/picture/tone_mapper.h"

#include "convert/picture/memory_shortage.h"

#include <zimg.h>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace {

// A failure to set up or run zimg is the picture's fault, unless memory really is short.
[[noreturn]] void Fail()
{
    if (MemoryIsShort())
        throw std::bad_alloc();
    throw std::runtime_error("cannot tone-map this picture");
}

// The settings of the README chain's zscale filters: bicubic resampling of the chroma, approximate
// gamma allowed (zscale's default), no dithering, reference white at 203 cd/m² where it applies.
zimg_graph_builder_params ChainParams(double nominalPeak)
{
    zimg_graph_builder_params params;
    zimg_graph_builder_params_default(&params, ZIMG_API_VERSION);
    params.resample_filter = ZIMG_RESIZE_BICUBIC;
    params.resample_filter_uv = ZIMG_RESIZE_BICUBIC;
    params.dither_type = ZIMG_DITHER_NONE;
    params.cpu_type = ZIMG_CPU_AUTO;
    params.allow_approximate_gamma = 1;
    params.nominal_peak_luminance = nominalPeak;
    return params;
}

// BT.2408: HDR reference white, where SDR white is placed.
constexpr double kReferenceWhite = 203.0;

// Linear BT.709 light in floats, what the chain tone-maps.
zimg_image_format LinearBt709(unsigned width, unsigned height)
{
    zimg_image_format linear;
    zimg_image_format_default(&linear, ZIMG_API_VERSION);
    linear.width = width;
    linear.height = height;
    linear.pixel_type = ZIMG_PIXEL_FLOAT;
    linear.color_family = ZIMG_COLOR_RGB;
    linear.matrix_coefficients = ZIMG_MATRIX_RGB;
    linear.transfer_characteristics = ZIMG_TRANSFER_LINEAR;
    linear.color_primaries = ZIMG_PRIMARIES_709;
    linear.pixel_range = ZIMG_RANGE_FULL;
    return linear;
}

// The 8-bit level zimg gives each sample of the transfer table: linear BT.709 light to the BT.709
// transfer in full range, as the chain's last zscale does.
std::vector<std::int32_t> TransferLevelsOfZimg()
{
    using TransferTable::kSize;
    const zimg_image_format linear = LinearBt709(kSize, 1);
    zimg_image_format coded = linear;
    coded.pixel_type = ZIMG_PIXEL_BYTE;
    coded.depth = 8;
    coded.transfer_characteristics = ZIMG_TRANSFER_709;
    const zimg_graph_builder_params params = ChainParams(NAN);
    const ZimgGraphPtr graph(zimg_filter_graph_build(&linear, &coded, &params));
    std::size_t scratchSize = 0;
    if (!graph || zimg_filter_graph_get_tmp_size(graph.get(), &scratchSize))
        Fail();
    const std::size_t floatRow = (kSize * sizeof(float) + AlignedBytes::kAlignment - 1) & ~(AlignedBytes::kAlignment - 1);
    const std::size_t byteRow = (kSize + AlignedBytes::kAlignment - 1) & ~(AlignedBytes::kAlignment - 1);
    AlignedBytes samples;
    AlignedBytes levels;
    AlignedBytes scratch;
    samples.Reserve(floatRow);
    levels.Reserve(3 * byteRow);
    scratch.Reserve(scratchSize);
    auto* sample = reinterpret_cast<float*>(samples.Data());
    for (int i = 0; i < kSize; ++i)
        sample[i] = TransferTable::SampleAt(i);
    zimg_image_buffer_const in{ZIMG_API_VERSION, {}};
    zimg_image_buffer out{ZIMG_API_VERSION, {}};
    for (int p = 0; p < 3; ++p) {
        in.plane[p] = {samples.Data(), static_cast<std::ptrdiff_t>(floatRow), ZIMG_BUFFER_MAX};
        out.plane[p] = {levels.Data() + p * byteRow, static_cast<std::ptrdiff_t>(byteRow), ZIMG_BUFFER_MAX};
    }
    if (zimg_filter_graph_process(graph.get(), &in, &out, scratch.Data(), nullptr, nullptr, nullptr, nullptr))
        Fail();
    return std::vector<std::int32_t>(levels.Data(), levels.Data() + kSize);
}

// A colour field of a picture as the number it holds: a damaged stream can leave one that names no
// value of its enum, and reading it as the enum would be undefined.
template <class Enum>
int CodeOf(const Enum& field)
{
    static_assert(sizeof(Enum) == sizeof(int));
    int code = 0;
    std::memcpy(&code, &field, sizeof code);
    return code;
}

zimg_chroma_location_e ZimgChromaLocation(int location)
{
    // As zscale reads a picture's chroma location; a picture that names none has it left.
    switch (location) {
    case AVCHROMA_LOC_CENTER: return ZIMG_CHROMA_CENTER;
    case AVCHROMA_LOC_TOPLEFT: return ZIMG_CHROMA_TOP_LEFT;
    case AVCHROMA_LOC_TOP: return ZIMG_CHROMA_TOP;
    case AVCHROMA_LOC_BOTTOMLEFT: return ZIMG_CHROMA_BOTTOM_LEFT;
    case AVCHROMA_LOC_BOTTOM: return ZIMG_CHROMA_BOTTOM;
    default: return ZIMG_CHROMA_LEFT;
    }
}

// The matrices zimg knows by their ITU-T H.273 codes, which FFmpeg uses too; a picture that names none
// has BT.2020's, as HDR video does. None for a code that is no matrix (a damaged picture).
std::optional<zimg_matrix_coefficients_e> ZimgMatrix(int colourspace)
{
    switch (colourspace) {
    case AVCOL_SPC_UNSPECIFIED: return ZIMG_MATRIX_2020_NCL;
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_FCC:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_YCGCO:
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
    case AVCOL_SPC_CHROMA_DERIVED_NCL:
    case AVCOL_SPC_CHROMA_DERIVED_CL:
    case AVCOL_SPC_ICTCP: return static_cast<zimg_matrix_coefficients_e>(colourspace);
    default: return std::nullopt;
    }
}

// Planar YUV of 8 to 16 bits in this machine's byte order, which zimg reads as it is.
bool ZimgTakes(const AVFrame& picture)
{
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture.format));
    if (!format || format->nb_components != 3 || !(format->flags & AV_PIX_FMT_FLAG_PLANAR)
        || (format->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT)))
        return false;
    const int depth = format->comp[0].depth;
    for (int c = 0; c < 3; ++c) {
        if (format->comp[c].plane != c || format->comp[c].depth != depth || format->comp[c].shift != 0)
            return false;
    }
    if (depth < 8 || depth > 16 || format->comp[0].step != (depth > 8 ? 2 : 1))
        return false;
    // zimg takes subsampled colour only in whole blocks.
    return picture.width % (1 << format->log2_chroma_w) == 0 && picture.height % (1 << format->log2_chroma_h) == 0;
}

bool IsAligned(const AVFrame& picture)
{
    for (int p = 0; p < 3; ++p) {
        if (reinterpret_cast<std::uintptr_t>(picture.data[p]) % 32 != 0 || picture.linesize[p] % 32 != 0)
            return false;
    }
    return true;
}

// What the pack callback needs to turn the rows of light zimg has written into the bitmap's rows.
struct Packing {
    const ToneCurve* curve;
    const ToneCurveKernels* kernels;
    const std::uint8_t* light;
    std::size_t planeBytes;
    std::size_t stride;
    unsigned mask;
    PackedDib* into;
};

int PackRow(void* user, unsigned row, unsigned left, unsigned right)
{
    const Packing& packing = *static_cast<const Packing*>(user);
    const std::uint8_t* at = packing.light + (row & packing.mask) * packing.stride;
    const auto* red = reinterpret_cast<const float*>(at);
    const auto* green = reinterpret_cast<const float*>(at + packing.planeBytes);
    const auto* blue = reinterpret_cast<const float*>(at + 2 * packing.planeBytes);
    packing.kernels->mapRow(*packing.curve, red + left, green + left, blue + left, static_cast<int>(right - left),
        packing.into->TopDownRow(static_cast<int>(row)) + 3 * static_cast<std::size_t>(left));
    return 0;
}

// Gives `frame` buffers for a picture of that format and size, keeping those it has when they fit.
void MakeFrame(AVFrame& frame, int format, int width, int height)
{
    if (frame.buf[0] && frame.format == format && frame.width == width && frame.height == height)
        return;
    av_frame_unref(&frame);
    frame.format = format;
    frame.width = width;
    frame.height = height;
    if (av_frame_get_buffer(&frame, static_cast<int>(AlignedBytes::kAlignment)) < 0)
        throw std::bad_alloc();
}

}  // namespace

void ZimgGraphFreer::operator()(zimg_filter_graph* graph) const
{
    zimg_filter_graph_free(graph);
}

ToneMapper::ToneMapper(SimdLevel level) : kernels_(ToneCurveKernelsFor(level)), levels_(TransferLevelsOfZimg())
{
    if (!full_ || !aligned_)
        throw std::bad_alloc();
}

const AVFrame& ToneMapper::ZimgInput(const AVFrame& picture)
{
    if (ZimgTakes(picture)) {
        if (IsAligned(picture))
            return picture;
        MakeFrame(*aligned_, picture.format, picture.width, picture.height);
        if (av_frame_copy(aligned_.get(), &picture) < 0 || av_frame_copy_props(aligned_.get(), &picture) < 0)
            Fail();
        return *aligned_;
    }
    // As the README's chain, which puts format=yuv444p16le before zscale for such pictures: swscale,
    // bicubic as the ffmpeg command's scalers are.
    toFull_.reset(sws_getCachedContext(toFull_.release(), picture.width, picture.height,
        static_cast<AVPixelFormat>(picture.format), picture.width, picture.height, AV_PIX_FMT_YUV444P16, SWS_BICUBIC,
        nullptr, nullptr, nullptr));
    if (!toFull_)
        Fail();
    MakeFrame(*full_, AV_PIX_FMT_YUV444P16, picture.width, picture.height);
    if (sws_scale(toFull_.get(), picture.data, picture.linesize, 0, picture.height, full_->data, full_->linesize) <= 0
        || av_frame_copy_props(full_.get(), &picture) < 0)
        Fail();
    return *full_;
}

void ToneMapper::Prepare(const AVFrame& input, const HdrSignal& signal)
{
    if (!curve_ || curvePeak_ != signal.peak) {
        curve_.emplace(signal.peak / kReferenceWhite, levels_);
        curvePeak_ = signal.peak;
    }
    // The colours the chain reads from each picture, where the picture leaves them open: the stream's
    // transfer and BT.2020 primaries (which made it HDR), the BT.2020 matrix, limited range.
    const std::optional<zimg_matrix_coefficients_e> matrix = ZimgMatrix(CodeOf(input.colorspace));
    if (!matrix)
        Fail();
    const bool fullRange = CodeOf(input.color_range) == AVCOL_RANGE_JPEG;
    const Source source{input.width, input.height, input.format, *matrix, fullRange ? 1 : 0, CodeOf(input.chroma_location), signal.transfer};
    if (graph_ && source == builtFor_)
        return;
    graph_.reset();
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(input.format));
    zimg_image_format coded;
    zimg_image_format_default(&coded, ZIMG_API_VERSION);
    coded.width = static_cast<unsigned>(input.width);
    coded.height = static_cast<unsigned>(input.height);
    coded.depth = static_cast<unsigned>(format->comp[0].depth);
    coded.pixel_type = coded.depth > 8 ? ZIMG_PIXEL_WORD : ZIMG_PIXEL_BYTE;
    coded.subsample_w = format->log2_chroma_w;
    coded.subsample_h = format->log2_chroma_h;
    coded.color_family = ZIMG_COLOR_YUV;
    // FFmpeg and zimg number matrices, transfers and primaries by the same ITU-T H.273 codes.
    coded.matrix_coefficients = *matrix;
    coded.transfer_characteristics = static_cast<zimg_transfer_characteristics_e>(signal.transfer);
    coded.color_primaries = ZIMG_PRIMARIES_2020;
    coded.pixel_range = fullRange ? ZIMG_RANGE_FULL : ZIMG_RANGE_LIMITED;
    coded.chroma_location = ZimgChromaLocation(source.chromaLocation);
    const zimg_image_format linear = LinearBt709(coded.width, coded.height);
    const zimg_graph_builder_params params = ChainParams(kReferenceWhite);
    ZimgGraphPtr graph(zimg_filter_graph_build(&coded, &linear, &params));
    std::size_t scratchSize = 0;
    unsigned rows = 0;
    if (!graph || zimg_filter_graph_get_tmp_size(graph.get(), &scratchSize)
        || zimg_filter_graph_get_output_buffering(graph.get(), &rows))
        Fail();
    lightMask_ = zimg_select_buffer_mask(rows);
    // A picture zimg must hold whole (it never does for these conversions) gets room for all its rows.
    const std::size_t ringRows = lightMask_ == ZIMG_BUFFER_MAX ? coded.height : std::size_t{lightMask_} + 1;
    const std::size_t planeRow = (coded.width * sizeof(float) + AlignedBytes::kAlignment - 1) & ~(AlignedBytes::kAlignment - 1);
    lightStride_ = planeRow;
    scratch_.Reserve(scratchSize);
    light_.Reserve(3 * planeRow * ringRows);
    graph_ = std::move(graph);
    builtFor_ = source;
}

void ToneMapper::Map(const AVFrame& picture, const HdrSignal& signal, PackedDib& into)
{
    const AVFrame& input = ZimgInput(picture);
    Prepare(input, signal);
    into.Resize(input.width, input.height);
    const std::size_t ringRows = lightMask_ == ZIMG_BUFFER_MAX ? static_cast<std::size_t>(input.height) : std::size_t{lightMask_} + 1;
    const std::size_t planeBytes = lightStride_ * ringRows;
    zimg_image_buffer_const in{ZIMG_API_VERSION, {}};
    zimg_image_buffer out{ZIMG_API_VERSION, {}};
    for (int p = 0; p < 3; ++p) {
        in.plane[p] = {input.data[p], input.linesize[p], ZIMG_BUFFER_MAX};
        out.plane[p] = {light_.Data() + p * planeBytes, static_cast<std::ptrdiff_t>(lightStride_), lightMask_};
    }
    Packing packing{&*curve_, &kernels_, light_.Data(), planeBytes, lightStride_, lightMask_, &into};
    if (zimg_filter_graph_process(graph_.get(), &in, &out, scratch_.Data(), nullptr, nullptr, PackRow, &packing))
        Fail();
}
