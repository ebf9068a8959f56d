#include "image_decoders.h"

#include "media_tools.h"

#include <QStringList>

namespace {

// A Python 3 that has Pillow: the first on the path may be a private one without it.
QString PythonWithPillow()
{
    static const QString python = [] {
        for (const QString& candidate : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
            if (RunTool(candidate, {"-c", "import PIL"}, 60000).exitCode == 0)
                return candidate;
        }
        return QString();
    }();
    return python;
}

const char* const kPillowToPpm =
    "import sys\n"
    "from PIL import Image\n"
    "image = Image.open(sys.argv[1])\n"
    "image.convert('RGB').save(sys.stdout.buffer, 'PPM')\n";

const char* const kPillowFacts =
    "import sys\n"
    "from PIL import Image\n"
    "image = Image.open(sys.argv[1])\n"
    "image.load()\n"
    "palette = image.getpalette() if image.mode == 'P' else None\n"
    "colours = image.getcolors(65536)\n"
    "print(image.format, image.mode, image.width, image.height, len(palette) // 3 if palette else 0,\n"
    "      len(colours) if colours else 0)\n";

// Reads a binary PPM (P6, 8 bits) into top-down BGR rows.
DecodedImage FromPpm(const QByteArray& ppm)
{
    DecodedImage image;
    qsizetype at = 0;
    auto nextToken = [&]() {
        while (at < ppm.size()) {
            if (ppm[at] == '#') {
                while (at < ppm.size() && ppm[at] != '\n')
                    ++at;
            } else if (QChar::isSpace(static_cast<unsigned char>(ppm[at]))) {
                ++at;
            } else {
                break;
            }
        }
        const qsizetype start = at;
        while (at < ppm.size() && !QChar::isSpace(static_cast<unsigned char>(ppm[at])))
            ++at;
        return ppm.mid(start, at - start);
    };
    const QByteArray magic = nextToken();
    const int width = nextToken().toInt();
    const int height = nextToken().toInt();
    const int maximum = nextToken().toInt();
    ++at;  // the one whitespace byte before the pixels
    const qsizetype size = qsizetype(width) * height * 3;
    if (magic != "P6" || width <= 0 || height <= 0 || maximum != 255 || ppm.size() - at != size) {
        image.error = QStringLiteral("not an 8-bit binary PPM of the size it states");
        return image;
    }
    image.topDownBgr = ppm.mid(at, size);
    char* pixel = image.topDownBgr.data();
    for (qsizetype i = 0; i < size; i += 3)
        std::swap(pixel[i], pixel[i + 2]);
    image.width = width;
    image.height = height;
    return image;
}

ToolResult RunDecoder(ImageDecoder decoder, const QString& path)
{
    switch (decoder) {
    case ImageDecoder::Pillow:
        return RunTool(PythonWithPillow(), {"-c", kPillowToPpm, path});
    case ImageDecoder::Ffmpeg:
        return RunTool(QStringLiteral("ffmpeg"),
            {"-v", "error", "-i", path, "-frames:v", "1", "-f", "image2pipe", "-c:v", "ppm", "-pix_fmt", "rgb24", "-"});
    case ImageDecoder::ImageMagick:
        return RunTool(QStringLiteral("convert"), {path, "-depth", "8", "ppm:-"});
    }
    return {};
}

}  // namespace

const char* NameOf(ImageDecoder decoder)
{
    switch (decoder) {
    case ImageDecoder::Pillow: return "Pillow";
    case ImageDecoder::Ffmpeg: return "ffmpeg";
    case ImageDecoder::ImageMagick: return "ImageMagick";
    }
    return "";
}

DecodedImage DecodeImage(ImageDecoder decoder, const QString& path)
{
    const ToolResult run = RunDecoder(decoder, path);
    if (run.exitCode != 0) {
        DecodedImage failed;
        failed.error = QStringLiteral("%1 failed (%2): %3").arg(NameOf(decoder)).arg(run.exitCode).arg(QString::fromUtf8(run.err));
        return failed;
    }
    DecodedImage image = FromPpm(run.out);
    if (!image.error.isEmpty())
        image.error = QStringLiteral("%1: %2 %3").arg(NameOf(decoder), image.error, QString::fromUtf8(run.err));
    return image;
}

std::optional<PillowFacts> DescribeWithPillow(const QString& path)
{
    const ToolResult run = RunTool(PythonWithPillow(), {"-c", kPillowFacts, path});
    const QList<QByteArray> fields = run.out.trimmed().split(' ');
    if (run.exitCode != 0 || fields.size() != 6)
        return std::nullopt;
    PillowFacts facts;
    facts.format = QString::fromUtf8(fields[0]);
    facts.mode = QString::fromUtf8(fields[1]);
    facts.width = fields[2].toInt();
    facts.height = fields[3].toInt();
    facts.paletteEntries = fields[4].toInt();
    facts.coloursUsed = fields[5].toInt();
    return facts;
}
