#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A 24-bit BMP file read back as top-down BGR rows without padding.
struct BmpImage {
    int width = 0;
    int height = 0;
    QByteArray topDownBgr;
};
std::optional<BmpImage> ReadBmp(const QString& path);
