// --no-tonemap writes HDR pictures as their matrix alone gives them, as the plain ffmpeg command does;
// without it they are tone-mapped, so they differ.
#include "cli_fixture.h"

#include "support/bmp_file.h"
#include "support/video_oracle.h"

#include <QCryptographicHash>

#include <QTemporaryDir>

namespace {

TEST_F(CliTest, NoTonemapKeepsTheMatrixAloneForHdr)
{
    const QString hlg = inputs.filePath("hlg.mkv");
    MakeVideo(hlg, {"-f", "lavfi", "-i", "testsrc2=size=64x32:rate=25", "-frames:v", "2", "-pix_fmt", "yuv420p10le",
                       "-color_primaries", "bt2020", "-color_trc", "arib-std-b67", "-colorspace", "bt2020nc", "-c:v", "ffv1"});
    QTemporaryDir matrixOnly;
    const ToolResult result = Cli({"--no-tonemap", "--format", "bmp", "--output", matrixOnly.path(), hlg});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    ExpectPicturesMatchFfmpeg(hlg, matrixOnly.path());

    ASSERT_EQ(Cli({"--format", "bmp", "--output", output.path(), hlg}).exitCode, 0);
    const QStringList plain = FfmpegPictureDigests(hlg);
    ASSERT_EQ(plain.size(), 2);
    const std::optional<BmpImage> toneMapped = ReadBmp(output.filePath("hlg_0.bmp"));
    ASSERT_TRUE(toneMapped);
    EXPECT_NE(QString::fromLatin1(QCryptographicHash::hash(toneMapped->topDownBgr, QCryptographicHash::Md5).toHex()), plain[0]);
}

}  // namespace
