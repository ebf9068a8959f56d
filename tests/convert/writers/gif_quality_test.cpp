// GIF stills of a real camera clip against the ffmpeg command's per-frame palette GIFs of the same
// pictures: ours may be at most 1.3 times their size, at a PSNR no more than 0.2 dB below theirs
// (both read back by Pillow and compared with ffmpeg's own decoding of the clip; the allowance
// covers a later ffmpeg's palette choices). And a grey frame, which has no more than 256 colours,
// comes back exactly.
#include "convert/writers/gif_encoder.h"
#include "support/image_decoders.h"
#include "support/media_tools.h"
#include "support/test_frames.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr double kMostSizeOfTheirs = 1.3;
constexpr double kPsnrAllowanceDb = 0.2;

// A colour camera clip (Motion JPEG, 640×480, 15 frames) from the folder of real videos beside the
// corpus of AVI files.
QString CameraClip()
{
    const QString corpus = CorpusFolder();
    if (corpus.isEmpty())
        return {};
    const QString clip = corpus + QStringLiteral("/../../corpus-video/mov_mjpeg_640x480_panasonic_filetype.mov");
    return QFileInfo::exists(clip) ? QFileInfo(clip).absoluteFilePath() : QString();
}

PackedDib FrameOfPicture(const QByteArray& topDownBgr, int width, int height)
{
    PackedDib frame(width, height);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(frame.TopDownRow(y), topDownBgr.constData() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    return frame;
}

struct GifOutcome {
    qint64 bytes = 0;
    double psnrDb = 0;
};

GifOutcome Measure(const QString& path, const QByteArray& reference)
{
    const DecodedImage decoded = DecodeImage(ImageDecoder::Pillow, path);
    EXPECT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
    return {QFileInfo(path).size(), Psnr(decoded.topDownBgr, reference)};
}

TEST(GifQuality, CameraClipAtFfmpegsQualityAndNearItsSize)
{
    const QString clip = CameraClip();
    if (clip.isEmpty())
        GTEST_SKIP() << "the folder of real videos is not beside the repository";
    const ReferenceVideo video = DecodeWithFfmpeg(clip);
    ASSERT_GE(video.pictures.size(), 15u);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    GifOutcome ours;
    GifOutcome theirs;
    const int pictures[] = {0, 7, 14};
    for (const int n : pictures) {
        SCOPED_TRACE("picture " + std::to_string(n));
        const QByteArray& reference = video.pictures[static_cast<std::size_t>(n)];

        EncodedImage image;
        GifEncoder().Encode(FrameOfPicture(reference, video.width, video.height), 85, image);
        const QString ourPath = folder.filePath(QStringLiteral("ours_%1.gif").arg(n));
        QFile file(ourPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(image.bytes.data()), static_cast<qint64>(image.bytes.size()));
        file.close();

        const QString theirPath = folder.filePath(QStringLiteral("theirs_%1.gif").arg(n));
        const ToolResult made = RunTool(QStringLiteral("ffmpeg"),
            {"-nostdin", "-v", "error", "-i", clip, "-vf",
                QStringLiteral("select=eq(n\\,%1),split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1").arg(n),
                "-frames:v", "1", theirPath});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();

        const GifOutcome our = Measure(ourPath, reference);
        const GifOutcome their = Measure(theirPath, reference);
        ours.bytes += our.bytes;
        ours.psnrDb += our.psnrDb / std::size(pictures);
        theirs.bytes += their.bytes;
        theirs.psnrDb += their.psnrDb / std::size(pictures);
    }
    EXPECT_GE(ours.psnrDb, theirs.psnrDb - kPsnrAllowanceDb);
    EXPECT_LE(static_cast<double>(ours.bytes), kMostSizeOfTheirs * static_cast<double>(theirs.bytes))
        << "ours " << ours.bytes << " bytes, theirs " << theirs.bytes;
}

TEST(GifQuality, FrameOfAtMost256ColoursIsWrittenExactly)
{
    // Grey footage: every pixel's three samples equal; the top row holds all 256 levels.
    const PackedDib colourful = VideoLikeFrame(333, 77, 6);
    PackedDib grey(333, 77);
    for (int y = 0; y < grey.Height(); ++y) {
        const std::uint8_t* from = colourful.TopDownRow(y);
        std::uint8_t* to = grey.TopDownRow(y);
        for (int x = 0; x < grey.Width(); ++x) {
            const auto level = static_cast<std::uint8_t>(y == 0 ? x % 256 : from[3 * x + 1]);
            std::memset(to + 3 * x, level, 3);
        }
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EncodedImage image;
    GifEncoder().Encode(grey, 85, image);
    const QString path = folder.filePath(QStringLiteral("grey.gif"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(image.bytes.data()), static_cast<qint64>(image.bytes.size()));
    file.close();
    for (const ImageDecoder decoder : {ImageDecoder::Pillow, ImageDecoder::ImageMagick}) {
        const DecodedImage decoded = DecodeImage(decoder, path);
        ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
        EXPECT_TRUE(decoded.topDownBgr == TopDownBgr(grey)) << NameOf(decoder) << " reads other pixels";
    }
}

}  // namespace
