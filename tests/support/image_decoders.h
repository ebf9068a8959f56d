#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Independent readers of image files: other people's decoders, run as programs.
enum class ImageDecoder { Pillow, Ffmpeg, ImageMagick };

const char* NameOf(ImageDecoder decoder);

// The picture of an image file as one decoder reads it: top-down BGR rows without padding.
// On failure width and height are 0 and `error` says what the decoder printed.
struct DecodedImage {
    int width = 0;
    int height = 0;
    QByteArray topDownBgr;
    QString error;
};
DecodedImage DecodeImage(ImageDecoder decoder, const QString& path);

// What Pillow reports about an image file.
struct PillowFacts {
    QString format;  // "PNG", "GIF", ...
    QString mode;  // "RGB", "P", ...
    int width = 0;
    int height = 0;
    int paletteEntries = 0;  // 0 without a palette
    int coloursUsed = 0;  // distinct colours in the picture, or 0 when there are more than 65536
};
std::optional<PillowFacts> DescribeWithPillow(const QString& path);
