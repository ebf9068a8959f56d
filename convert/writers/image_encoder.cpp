#include "convert/writers/image_encoder.h"

#include "common/folder_failure.h"
#include "convert/writers/bmp_encoder.h"
#include "convert/writers/gif_encoder.h"
#include "convert/writers/jpg_encoder.h"
#include "convert/writers/pcx_encoder.h"
#include "convert/writers/png_encoder.h"
#include "convert/writers/tga_encoder.h"
#include "convert/writers/tiff_encoder.h"

#include <algorithm>
#include <new>

const ImageEncoder& EncoderFor(OutputFormat format)
{
    // Encoders keep no state, so these constant instances serve every thread.
    static const BmpEncoder bmp;
    static const JpgEncoder jpg;
    static const PngEncoder png;
    static const GifEncoder gif;
    static const TiffEncoder tiff;
    static const TgaEncoder tga;
    static const PcxEncoder pcx;
    switch (format) {
    case OutputFormat::BMP: return bmp;
    case OutputFormat::JPG: return jpg;
    case OutputFormat::PNG: return png;
    case OutputFormat::GIF: return gif;
    case OutputFormat::TIFF: return tiff;
    case OutputFormat::TGA: return tga;
    case OutputFormat::PCX: return pcx;
    }
    throw Failure(Failure::kInvalidArgument, QStringLiteral("Unknown output format %1.").arg(static_cast<int>(format)));
}

namespace {

// Encodes with `encode`, then publishes; every failure becomes the one the user is shown.
template <class Encode>
void EncodeAndPublish(const QString& path, EncodedImage& scratch, Encode&& encode)
{
    try {
        encode();
        PublishFile(path, {scratch.bytes, scratch.tail});
    } catch (const FolderFailure& failure) {
        throw FolderFailure(Failure::kInvalidArgument, QStringLiteral("Cannot save the image. ") + failure.description());
    } catch (const Failure& failure) {
        throw Failure(Failure::kInvalidArgument, QStringLiteral("Cannot save the image. ") + failure.description());
    } catch (const std::bad_alloc&) {
        throw Failure(Failure::kInvalidArgument, QStringLiteral("Cannot save the image. Out of memory."));
    }
}

}  // namespace

void WriteImage(const PackedDib& frame, OutputFormat format, int quality, const QString& path, EncodedImage& scratch)
{
    EncodeAndPublish(path, scratch, [&] { EncoderFor(format).Encode(frame, std::clamp(quality, 1, 100), scratch); });
}

void WriteJpeg(const JpegPlanes& picture, int quality, const QString& path, EncodedImage& scratch)
{
    EncodeAndPublish(path, scratch, [&] { JpgEncoder::EncodePlanes(picture, std::clamp(quality, 1, 100), scratch); });
}
