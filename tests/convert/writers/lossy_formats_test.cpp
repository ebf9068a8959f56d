// JPG and GIF files are read back by independent decoders and compared with the frame within
// a tolerance: JPG by its quality, GIF by its palette.
#include "common/failure.h"
#include "convert/writers/image_encoder.h"
#include "convert/writers/jpg_encoder.h"
#include "image_test_files.h"
#include "support/image_decoders.h"
#include "support/media_tools.h"
#include "support/test_frames.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

class LossyFormatTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString Write(const PackedDib& frame, OutputFormat format, int quality, const QString& stem)
    {
        const QString path = folder_.filePath(FileNameFor(stem, format));
        WriteImage(frame, format, quality, path, scratch_);
        return path;
    }

    // PSNR of the file as `decoder` reads it against the frame; 0 when it cannot be read at the frame's size.
    static double PsnrOf(const QString& path, ImageDecoder decoder, const PackedDib& frame)
    {
        const DecodedImage decoded = DecodeImage(decoder, path);
        EXPECT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
        EXPECT_EQ(decoded.width, frame.Width());
        EXPECT_EQ(decoded.height, frame.Height());
        return Psnr(decoded.topDownBgr, TopDownBgr(frame));
    }

    QTemporaryDir folder_;
    EncodedImage scratch_;
};

TEST_F(LossyFormatTest, JpgAtQuality85KeepsAtLeast30Decibels)
{
    // Frames like video: tiles of one-pixel saturated colour changes defeat any 4:2:0 JPEG.
    for (const PackedDib& frame : {VideoLikeFrame(321, 241, 1), VideoLikeFrame(640, 480, 2)}) {
        SCOPED_TRACE(frame.Width());
        const QString path = Write(frame, OutputFormat::JPG, 85, QStringLiteral("q85_%1").arg(frame.Width()));
        for (ImageDecoder decoder : {ImageDecoder::Pillow, ImageDecoder::Ffmpeg, ImageDecoder::ImageMagick}) {
            SCOPED_TRACE(NameOf(decoder));
            EXPECT_GE(PsnrOf(path, decoder, frame), 30.0);
        }
    }
}

TEST_F(LossyFormatTest, HigherJpgQualityNeverGivesASmallerFileOrAWorsePicture)
{
    const PackedDib frame = ColourfulFrame(321, 241, 5);
    qint64 previousSize = 0;
    for (int quality = 1; quality <= 100; ++quality) {
        SCOPED_TRACE(quality);
        const qint64 size = QFileInfo(Write(frame, OutputFormat::JPG, quality, QStringLiteral("q%1").arg(quality))).size();
        EXPECT_GE(size, previousSize);
        previousSize = size;
    }
    const double low = PsnrOf(folder_.filePath("q10.jpg"), ImageDecoder::Ffmpeg, frame);
    const double middle = PsnrOf(folder_.filePath("q50.jpg"), ImageDecoder::Ffmpeg, frame);
    const double high = PsnrOf(folder_.filePath("q95.jpg"), ImageDecoder::Ffmpeg, frame);
    EXPECT_LT(low, middle);
    EXPECT_LT(middle, high);
}

TEST_F(LossyFormatTest, JpgQualityOutsideOneToHundredIsClamped)
{
    const PackedDib frame = ColourfulFrame(64, 48, 6);
    auto bytesAt = [&](int quality) {
        QFile file(Write(frame, OutputFormat::JPG, quality, QStringLiteral("quality_%1").arg(quality)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    EXPECT_EQ(bytesAt(0), bytesAt(1));
    EXPECT_EQ(bytesAt(-5), bytesAt(1));
    EXPECT_EQ(bytesAt(200), bytesAt(100));
    EXPECT_EQ(bytesAt(255), bytesAt(100));
    EXPECT_NE(bytesAt(1), bytesAt(100));
}

TEST_F(LossyFormatTest, GifIsPalettedWithAtMost256ColoursAndCloseToTheFrame)
{
    for (const PackedDib& frame : {ColourfulFrame(321, 241, 1), VideoLikeFrame(640, 480, 2)}) {
        SCOPED_TRACE(frame.Width());
        const QString path = Write(frame, OutputFormat::GIF, 85, QStringLiteral("colourful_%1").arg(frame.Width()));
        const auto facts = DescribeWithPillow(path);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->format, QStringLiteral("GIF"));
        EXPECT_EQ(facts->mode, QStringLiteral("P"));
        EXPECT_GT(facts->paletteEntries, 0);
        EXPECT_LE(facts->paletteEntries, 256);
        EXPECT_GT(facts->coloursUsed, 16);  // the palette comes from the frame, not a tiny fixed one
        EXPECT_LE(facts->coloursUsed, 256);
        for (ImageDecoder decoder : {ImageDecoder::Pillow, ImageDecoder::Ffmpeg, ImageDecoder::ImageMagick}) {
            SCOPED_TRACE(NameOf(decoder));
            EXPECT_GE(PsnrOf(path, decoder, frame), 28.0);
        }
    }
}

TEST_F(LossyFormatTest, GifOfOneColourKeepsItWithinALevel)
{
    // The palette is computed in floating point, so a colour may move by one level, no more; a
    // swapped channel or a wrong palette index would show far beyond that.
    for (const PackedDib& frame : {FlatFrame(300, 5, 0xC8, 0x10, 0xFF), FlatFrame(1, 1, 1, 2, 3)}) {
        SCOPED_TRACE(frame.Width());
        const QString path = Write(frame, OutputFormat::GIF, 85, QStringLiteral("flat_%1").arg(frame.Width()));
        const DecodedImage decoded = DecodeImage(ImageDecoder::Pillow, path);
        ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
        ASSERT_EQ(decoded.width, frame.Width());
        ASSERT_EQ(decoded.height, frame.Height());
        const QByteArray expected = TopDownBgr(frame);
        for (qsizetype i = 0; i < expected.size(); ++i)
            ASSERT_LE(std::abs(static_cast<std::uint8_t>(decoded.topDownBgr[i]) - static_cast<std::uint8_t>(expected[i])), 1) << "byte " << i;
    }
}

TEST_F(LossyFormatTest, OddAndTinyFramesKeepTheirSize)
{
    const OutputFormat formats[] = {OutputFormat::JPG, OutputFormat::GIF};
    for (const PackedDib& frame : {ColourfulFrame(1, 1), ColourfulFrame(7, 300), ColourfulFrame(301, 3)}) {
        for (OutputFormat format : formats) {
            SCOPED_TRACE(std::to_string(frame.Width()) + "x" + std::to_string(frame.Height()) + " " + FormatName(format));
            const QString path = Write(frame, format, 85, QStringLiteral("size_%1").arg(frame.Width()));
            for (ImageDecoder decoder : {ImageDecoder::Pillow, ImageDecoder::Ffmpeg, ImageDecoder::ImageMagick}) {
                SCOPED_TRACE(NameOf(decoder));
                const DecodedImage decoded = DecodeImage(decoder, path);
                ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
                EXPECT_EQ(decoded.width, frame.Width());
                EXPECT_EQ(decoded.height, frame.Height());
            }
        }
    }
}

}  // namespace

// The planes a decoded picture hands over for JPG are padded as TurboJPEG reads them: a padding of
// ours that fell short would make it read past a plane.
TEST(JpegPlanesTest, PaddingIsWhatTurboJpegReads)
{
    for (const int size : {1, 2, 3, 97, 321, 1080}) {
        for (int plane = 0; plane < 3; ++plane) {
            EXPECT_EQ(JpegPlanes::PaddedWidth(plane, size), tjPlaneWidth(plane, size, TJSAMP_420)) << size << " " << plane;
            EXPECT_EQ(JpegPlanes::PaddedHeight(plane, size), tjPlaneHeight(plane, size, TJSAMP_420)) << size << " " << plane;
        }
    }
}

namespace {

std::vector<std::uint8_t> TurboJpegBytes(const JpegPlanes& picture, int quality)
{
    tjhandle handle = tjInitCompress();
    unsigned char* bytes = nullptr;
    unsigned long length = 0;
    const unsigned char* planes[3] = {picture.planes[0], picture.planes[1], picture.planes[2]};
    std::vector<std::uint8_t> made;
    if (handle && tjCompressFromYUVPlanes(handle, planes, picture.width, picture.strides, picture.height, TJSAMP_420, &bytes, &length, quality, 0) == 0)
        made.assign(bytes, bytes + length);
    tjFree(bytes);
    tjDestroy(handle);
    return made;
}

}  // namespace

// Our compression from planes gives TurboJPEG's own bytes for the same planes, whether it reads the
// planes as they are or has their rows made: the sizes where libjpeg's blocks overhang the planes,
// strides wider than a row, and qualities on both sides of the change of DCT at 96.
TEST(JpegPlanesTest, CompressedAsTurboJpegCompressesThem)
{
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{1, 1}, Size{2, 2}, Size{3, 5}, Size{16, 16}, Size{32, 24}, Size{34, 18}, Size{97, 33}, Size{322, 17}}) {
        std::vector<std::uint8_t> storage[3];
        const std::uint8_t* planes[3];
        int strides[3];
        for (int p = 0; p < 3; ++p) {
            strides[p] = JpegPlanes::PaddedWidth(p, size.width) + 5 * p;
            storage[p].resize(static_cast<std::size_t>(strides[p]) * JpegPlanes::PaddedHeight(p, size.height));
            for (std::size_t i = 0; i < storage[p].size(); ++i)
                storage[p][i] = static_cast<std::uint8_t>((i * 37 + (i / 7) * (p + 3) + (i * i) % 11) & 0xff);
            planes[p] = storage[p].data();
        }
        JpegPlanes given{size.width, size.height, {planes[0], planes[1], planes[2]}, {strides[0], strides[1], strides[2]}, {}};
        JpegPlanes made{size.width, size.height, {}, {}, [&](int p, int y, std::uint8_t* out) {
                            std::copy_n(planes[p] + static_cast<std::ptrdiff_t>(y) * strides[p], JpegPlanes::PaddedWidth(p, size.width), out);
                        }};
        for (const int quality : {40, 85, 95, 96, 100}) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) + " q" + std::to_string(quality));
            const std::vector<std::uint8_t> expected = TurboJpegBytes(given, quality);
            ASSERT_FALSE(expected.empty());
            for (const JpegPlanes* picture : {&given, &made}) {
                EncodedImage image;
                JpgEncoder::EncodePlanes(*picture, quality, image);
                EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.end(), expected.begin(), expected.end()))
                    << (picture == &given ? "read as they are" : "rows made");
            }
        }
    }
}

// A picture libjpeg refuses is reported in its words, and the thread's compressor, which the refusal
// left half-way, makes the next picture as it should.
TEST(JpegPlanesTest, RefusedPictureLeavesTheCompressorWhole)
{
    const JpegPlanes tooWide{70000, 2, {}, {}, [](int, int, std::uint8_t*) { FAIL() << "no row of a refused picture is read"; }};
    EncodedImage image;
    try {
        JpgEncoder::EncodePlanes(tooWide, 85, image);
        ADD_FAILURE() << "a picture 70000 wide was compressed";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description().toStdString(), "Maximum supported image dimension is 65500 pixels");
    }
    const std::vector<std::uint8_t> grey(64 * 64, 0x80);
    const JpegPlanes small{64, 64, {grey.data(), grey.data(), grey.data()}, {64, 32, 32}, {}};
    JpgEncoder::EncodePlanes(small, 85, image);
    const std::vector<std::uint8_t> expected = TurboJpegBytes(small, 85);
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.end(), expected.begin(), expected.end()));
}
