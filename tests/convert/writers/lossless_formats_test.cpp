// BMP, PNG, TIFF, TGA and PCX files are read back by three independent decoders and must hold
// the frame exactly, at any quality value.
#include "convert/writers/image_encoder.h"
#include "image_test_files.h"
#include "support/image_decoders.h"
#include "support/test_frames.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

struct NamedFrame {
    QString name;
    PackedDib frame;
};

// Odd width (row padding, PCX's pad byte), a single pixel, tall and narrow, rows of one colour
// longer than any run-length packet (with byte values that PCX must escape), and a wide noisy strip.
// The flat frame is not made short: ImageMagick 6 refuses a compressed TIFF whose one uncompressed
// row is more than twice the whole file, which only very short, wide, flat pictures reach.
std::vector<NamedFrame> TestFrames()
{
    std::vector<NamedFrame> frames;
    frames.push_back({QStringLiteral("colourful_321x241"), ColourfulFrame(321, 241, 1)});
    frames.push_back({QStringLiteral("single_pixel"), ColourfulFrame(1, 1, 2)});
    frames.push_back({QStringLiteral("tall_7x300"), ColourfulFrame(7, 300, 3)});
    frames.push_back({QStringLiteral("flat_300x200"), FlatFrame(300, 200, 0xC8, 0x10, 0xFF)});
    frames.push_back({QStringLiteral("strip_1001x3"), ColourfulFrame(1001, 3, 4)});
    return frames;
}

// Where two top-down BGR pictures first differ, for a readable failure.
std::string FirstDifference(const QByteArray& actual, const QByteArray& expected, int width)
{
    if (actual.size() != expected.size())
        return "sizes differ: " + std::to_string(actual.size()) + " bytes, expected " + std::to_string(expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            const qsizetype pixel = i / 3;
            return "first difference at x " + std::to_string(pixel % width) + ", y " + std::to_string(pixel / width)
                + ", channel " + std::to_string(i % 3);
        }
    }
    return "equal";
}

class LosslessFormatTest : public testing::TestWithParam<std::tuple<OutputFormat, ImageDecoder>> {};

TEST_P(LosslessFormatTest, DecodesToTheFramePixelForPixel)
{
    const auto [format, decoder] = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // One scratch for every frame, as a run reuses it; qualities that must not change a lossless file.
    EncodedImage scratch;
    const int qualities[] = {1, 100, 0, 200, 85};
    int next = 0;
    for (const NamedFrame& named : TestFrames()) {
        SCOPED_TRACE(named.name.toStdString());
        const QString path = folder.filePath(FileNameFor(named.name, format));
        WriteImage(named.frame, format, qualities[next++ % 5], path, scratch);

        const DecodedImage decoded = DecodeImage(decoder, path);
        ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
        EXPECT_EQ(decoded.width, named.frame.Width());
        EXPECT_EQ(decoded.height, named.frame.Height());
        const QByteArray expected = TopDownBgr(named.frame);
        EXPECT_TRUE(decoded.topDownBgr == expected) << FirstDifference(decoded.topDownBgr, expected, named.frame.Width());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLosslessFormat, LosslessFormatTest,
    testing::Combine(testing::Values(OutputFormat::BMP, OutputFormat::PNG, OutputFormat::TIFF, OutputFormat::TGA, OutputFormat::PCX),
        testing::Values(ImageDecoder::Pillow, ImageDecoder::Ffmpeg, ImageDecoder::ImageMagick)),
    [](const auto& info) {
        return FormatName(std::get<0>(info.param)) + "_" + NameOf(std::get<1>(info.param));
    });

TEST(LosslessFormatTest, PillowSeesTwentyFourBitColourInEachFormat)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PackedDib frame = ColourfulFrame(33, 17);
    const struct {
        OutputFormat format;
        const char* pillowName;
    } cases[] = {{OutputFormat::BMP, "BMP"}, {OutputFormat::PNG, "PNG"}, {OutputFormat::TIFF, "TIFF"},
        {OutputFormat::TGA, "TGA"}, {OutputFormat::PCX, "PCX"}};
    EncodedImage scratch;
    for (const auto& [format, pillowName] : cases) {
        SCOPED_TRACE(pillowName);
        const QString path = folder.filePath(FileNameFor(QStringLiteral("frame"), format));
        WriteImage(frame, format, 85, path, scratch);
        const auto facts = DescribeWithPillow(path);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->format, QLatin1String(pillowName));
        EXPECT_EQ(facts->mode, QStringLiteral("RGB"));
        EXPECT_EQ(facts->paletteEntries, 0);
    }
}

}  // namespace
