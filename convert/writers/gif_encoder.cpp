#include "convert/writers/gif_encoder.h"

#include "common/failure.h"
#include "convert/writers/frame_check.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace {

// libimagequant's speed, 1 to 10, measured on video frames: the quickest setting keeps the dithered
// frame above 40 dB PSNR; speed 7 gains about 1 dB on colour footage, and 2.5 dB on grey footage
// (from speed 8 on, the lowest bit of the input is dropped), for one and a half times the time.
constexpr int kQuantizeSpeed = 10;
// Dithering noise is what LZW compresses worst, and it lowers the PSNR too. Measured on camera clips
// against full dithering: half the dithering makes files 3 to 5 % smaller at 1.3 to 1.5 dB more; none
// makes them 9 to 16 % smaller at 1.8 to 2.5 dB more, but leaves bands in smooth gradients that half
// still breaks up.
constexpr float kHalfDithering = 0.5f;
constexpr int kGifSideLimit = 65535;
constexpr std::size_t kGifColours = 256;

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
std::unique_ptr<ColorMapObject, GifMapFree> GifColorMap(const std::vector<GifColorType>& palette)
{
    int size = 2;
    while (size < static_cast<int>(palette.size()))
        size *= 2;
    std::vector<GifColorType> colors(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    std::copy(palette.begin(), palette.end(), colors.begin());
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

// The frame's own colours when there are at most 256 of them (grey footage, graphics), in the order
// they first appear, and each pixel's index into them: such a frame is written exactly. Empty when
// there are more, which colour footage shows within its first few hundred pixels.
struct IndexedPicture {
    std::vector<GifColorType> colours;
    std::vector<std::uint8_t> indices;
};

std::optional<IndexedPicture> ExactColours(const PackedDib& frame)
{
    // Open addressing over four times as many slots as colours, keyed by the 24-bit colour plus one
    // (0 marks an empty slot).
    constexpr std::size_t kSlots = 4 * kGifColours;
    std::array<std::uint32_t, kSlots> keys{};
    std::array<std::uint8_t, kSlots> slotIndex{};
    IndexedPicture exact;
    exact.indices.resize(static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height()));
    std::uint8_t* index = exact.indices.data();
    std::uint32_t lastKey = 0;
    std::uint8_t lastIndex = 0;
    for (int y = 0; y < frame.Height(); ++y) {
        const std::uint8_t* bgr = frame.TopDownRow(y);
        for (int x = 0; x < frame.Width(); ++x, bgr += 3) {
            const std::uint32_t key = (std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0]) + 1;
            if (key != lastKey) {
                std::size_t slot = (key * 0x9E3779B1u) >> 22;  // the top 10 bits: one of kSlots
                while (keys[slot] != key && keys[slot] != 0)
                    slot = (slot + 1) % kSlots;
                if (keys[slot] == 0) {
                    if (exact.colours.size() == kGifColours)
                        return std::nullopt;
                    keys[slot] = key;
                    slotIndex[slot] = static_cast<std::uint8_t>(exact.colours.size());
                    exact.colours.push_back(GifColorType{bgr[2], bgr[1], bgr[0]});
                }
                lastKey = key;
                lastIndex = slotIndex[slot];
            }
            *index++ = lastIndex;
        }
    }
    return exact;
}

// The frame's colours quantised by libimagequant to a palette of at most 256, and the frame mapped
// onto it with some error-diffusion dithering.
IndexedPicture QuantizedColours(const PackedDib& frame)
{
    std::unique_ptr<liq_attr, LiqAttrDestroy> attr(liq_attr_create());
    if (!attr)
        CheckQuantize(LIQ_OUT_OF_MEMORY);
    CheckQuantize(liq_set_speed(attr.get(), kQuantizeSpeed));
    std::unique_ptr<liq_image, LiqImageDestroy> image(liq_image_create_custom(attr.get(), RgbaRow,
        const_cast<PackedDib*>(&frame), frame.Width(), frame.Height(), 0));
    if (!image)
        CheckQuantize(LIQ_OUT_OF_MEMORY);
    liq_result* quantized = nullptr;
    CheckQuantize(liq_image_quantize(image.get(), attr.get(), &quantized));
    std::unique_ptr<liq_result, LiqResultDestroy> result(quantized);
    CheckQuantize(liq_set_dithering_level(result.get(), kHalfDithering));

    IndexedPicture mapped;
    mapped.indices.resize(static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height()));
    CheckQuantize(liq_write_remapped_image(result.get(), image.get(), mapped.indices.data(), mapped.indices.size()));
    const liq_palette& palette = *liq_get_palette(result.get());
    for (unsigned i = 0; i < palette.count; ++i)
        mapped.colours.push_back(GifColorType{palette.entries[i].r, palette.entries[i].g, palette.entries[i].b});
    return mapped;
}

}  // namespace

void GifEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    RequireBgr24Frame(frame, kGifSideLimit);
    std::optional<IndexedPicture> exact = ExactColours(frame);
    const IndexedPicture picture = exact ? std::move(*exact) : QuantizedColours(frame);
    const auto map = GifColorMap(picture.colours);
    out.bytes.clear();
    out.tail = {};
    WriteGif(frame.Width(), frame.Height(), *map, picture.indices, out.bytes);
}
