#include "convert/writers/output_format.h"

QString ExtensionOf(OutputFormat format)
{
    switch (format) {
    case OutputFormat::BMP: return QStringLiteral("bmp");
    case OutputFormat::JPG: return QStringLiteral("jpg");
    case OutputFormat::PNG: return QStringLiteral("png");
    case OutputFormat::GIF: return QStringLiteral("gif");
    case OutputFormat::TIFF: return QStringLiteral("tiff");
    case OutputFormat::TGA: return QStringLiteral("tga");
    case OutputFormat::PCX: return QStringLiteral("pcx");
    }
    return QString();
}

std::optional<OutputFormat> OutputFormatFromNumber(int number)
{
    if (number < 1 || number > 7)
        return std::nullopt;
    return static_cast<OutputFormat>(number);
}

std::optional<OutputFormat> OutputFormatFromName(const QString& name)
{
    for (OutputFormat format : kAllOutputFormats) {
        if (name.compare(ExtensionOf(format), Qt::CaseInsensitive) == 0)
            return format;
    }
    return std::nullopt;
}
