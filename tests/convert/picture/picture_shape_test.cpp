// Pictures shaped as asked, each against the ffmpeg filter chain README names for it: deinterlaced
// byte for byte as bwdif makes them, also when a rule chooses frames (each with its real neighbours);
// fitted within a size and given square pixels at ffmpeg's exact sizes and within 35 dB of its
// scale filter, upright and in every subsampling.
#include "support/bmp_file.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/video_oracle.h"

#include "convert/picture/picture_shape.h"
#include "convert/run/conversion_run.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QString kDeinterlace = QStringLiteral("bwdif=mode=send_frame:parity=auto:deint=interlaced");

QTemporaryDir& Scratch()
{
    static QTemporaryDir folder;
    return folder;
}

QString Made(const QString& name, const QStringList& arguments)
{
    const QString path = Scratch().filePath(name);
    if (!QFile::exists(path))
        MakeVideo(path, arguments);
    return path;
}

// BMP files of a run over `video`, shaped and chosen as given.
QString Convert(const QString& video, const PictureShape& shape, const FrameSelection& selection = {}, OutputFormat format = OutputFormat::BMP)
{
    static int runs = 0;
    const QString folder = Scratch().filePath(QStringLiteral("run%1").arg(++runs));
    QDir().mkpath(folder);
    RecordingHost host;
    host.items = {video};
    host.outputFolder = folder;
    host.shape = shape;
    host.selection = selection;
    host.format = format;
    std::atomic<bool> converting{false};
    ConversionRun::Execute(host, converting);
    EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
    return folder;
}

// Interlaced H.264 (MBAFF) and MPEG-2 pictures of moving bars, as a camcorder's or a broadcast's.
QString InterlacedH264()
{
    return Made("interlaced.ts", {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=50,tinterlace=interleave_top,fieldorder=tff",
                                     "-frames:v", "24", "-c:v", "libx264", "-x264-params", "interlaced=1:tff=1", "-g", "8", "-bf", "2"});
}
QString InterlacedMpeg2()
{
    return Made("interlaced.mpg", {"-f", "lavfi", "-i", "testsrc2=s=352x288:r=50,tinterlace=interleave_top", "-frames:v", "12",
                                      "-c:v", "mpeg2video", "-flags", "+ilme+ildct", "-top", "1", "-g", "6"});
}

TEST(DeinterlaceTest, EveryPictureIsBwdifsAlsoWhenRulesChooseThem)
{
    FrameSelection every3;
    every3.rule = FrameSelection::Rule::EveryNth;
    every3.count = 3;
    FrameSelection keys;
    keys.rule = FrameSelection::Rule::KeyFrames;
    std::vector<QString> videos{InterlacedH264(), InterlacedMpeg2()};
    if (!VideoCorpusFolder().isEmpty())
        videos.push_back(QDir(VideoCorpusFolder()).filePath("mts_h264_1920x1080_interlaced_avchd_sony-a7m3_mde.mts"));
    PictureShape shape;
    shape.deinterlace = true;
    for (const QString& video : videos) {
        SCOPED_TRACE(video.toStdString());
        const QStringList expected = FfmpegPictureDigests(video, true, kDeinterlace);
        ExpectPicturesMatchDigests(video, Convert(video, shape), expected);
        for (const FrameSelection& selection : {every3, keys}) {
            const QString folder = Convert(video, shape, selection);
            const QStringList written = QDir(folder).entryList(QDir::Files);
            ASSERT_FALSE(written.isEmpty());
            for (const QString& name : written) {
                const int position = QRegularExpression(QStringLiteral("_(\\d+)\\.bmp$")).match(name).captured(1).toInt();
                const std::optional<BmpImage> image = ReadBmp(QDir(folder).filePath(name));
                ASSERT_TRUE(image);
                EXPECT_EQ(QCryptographicHash::hash(image->topDownBgr, QCryptographicHash::Md5).toHex(), expected.value(position).toLatin1())
                    << name.toStdString();
            }
        }
    }
    // Progressive pictures pass as they are.
    const QString progressive = Made("progressive.mp4", {"-f", "lavfi", "-i", "testsrc2=s=96x64:r=25", "-frames:v", "5", "-c:v", "libx264"});
    ExpectPicturesMatchDigests(progressive, Convert(progressive, shape), FfmpegPictureDigests(progressive));
}

// What a scaled run wrote, against the ffmpeg chain: the same size exactly and a close picture.
void ExpectScaledLike(const QString& video, const PictureShape& shape, const QString& chain, PictureSize size)
{
    const QString folder = Convert(video, shape);
    const std::optional<BmpImage> ours = ReadBmp(QDir(folder).filePath(QFileInfo(video).completeBaseName() + "_0.bmp"));
    ASSERT_TRUE(ours) << chain.toStdString();
    EXPECT_EQ(std::pair(ours->width, ours->height), std::pair(size.width, size.height)) << chain.toStdString();
    const ToolResult theirs = RunTool("ffmpeg", {"-v", "error", "-i", video, "-frames:v", "1", "-vf", chain, "-f", "rawvideo",
                                                    "-pix_fmt", "bgr24", "-"});
    ASSERT_EQ(theirs.out.size(), qsizetype(size.width) * size.height * 3) << chain.toStdString();
    EXPECT_GE(Psnr(ours->topDownBgr, theirs.out), 35.0) << chain.toStdString();
}

TEST(FitAndSquarePixelsTest, SizesAreFfmpegsAndPicturesClose)
{
    const auto bars = [](const char* name, const char* size, const char* format) {
        return Made(QLatin1String(name), {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25", "-frames:v", "1", "-vf",
                                             QStringLiteral("scale=%1").arg(QLatin1String(size)), "-pix_fmt", QLatin1String(format),
                                             "-c:v", "libx264", "-crf", "8"});
    };
    const QString wide = bars("wide.mp4", "1280:720", "yuv420p");
    const QString odd = bars("odd.mkv", "321:241", "yuv444p");
    const QString narrow = bars("narrow.mkv", "180:320", "yuv422p");
    const QString anamorphic = Made("anamorphic.mpg", {"-f", "lavfi", "-i", "testsrc2=s=720x480:r=25", "-frames:v", "1",
                                                          "-c:v", "mpeg2video", "-q:v", "2", "-aspect", "16:9"});
    const struct {
        QString video;
        PictureShape shape;
        QString chain;
        PictureSize size;
    } cases[] = {
        {wide, {320, 0, false, false}, "scale=320:-1", {320, 180}},
        {wide, {0, 97, false, false}, "scale=-1:97", {172, 97}},
        {wide, {100, 100, false, false}, "scale=100:100:force_original_aspect_ratio=decrease", {100, 56}},
        {odd, {97, 0, false, false}, "scale=97:-1", {97, 73}},
        {odd, {640, 480, false, false}, "null", {321, 241}},  // never enlarged
        {narrow, {0, 100, false, false}, "scale=-1:100", {56, 100}},
        {anamorphic, {0, 0, true, false}, "scale='trunc(iw*sar+0.5)':ih", {853, 480}},
        {anamorphic, {400, 0, true, false}, "scale='trunc(iw*sar+0.5)':ih,scale=400:-1", {400, 225}},
    };
    for (const auto& [video, shape, chain, size] : cases)
        ExpectScaledLike(video, shape, chain, size);
    // JPG from planes shrunk before anything else: as close to the scaled picture as ffmpeg's own JPG of
    // it at the same quality.
    const QString ours = QDir(Convert(wide, {320, 0, false, false}, {}, OutputFormat::JPG)).filePath("wide_0.jpg");
    const QString theirs = Scratch().filePath("theirs.jpg");
    ASSERT_EQ(RunTool("ffmpeg", {"-v", "error", "-y", "-i", wide, "-vf", "scale=320:-1", "-q:v", "3", theirs}).exitCode, 0);
    const auto pixels = [](const QString& file, const QString& chain) {
        return RunTool("ffmpeg", {"-v", "error", "-i", file, "-vf", chain, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"}).out;
    };
    const QByteArray scaled = pixels(wide, "scale=320:-1");
    ASSERT_EQ(pixels(ours, "null").size(), scaled.size());
    EXPECT_GE(Psnr(pixels(ours, "null"), scaled), Psnr(pixels(theirs, "null"), scaled) - 1.0);
    // A phone's picture, stored 568x320 and shown turned a quarter: fitted after turning.
    if (!VideoCorpusFolder().isEmpty()) {
        ExpectScaledLike(QDir(VideoCorpusFolder()).filePath("mov_h264_568x320_dispmat-90_audiofirst_iphone6_mde.mov"),
            {0, 100, false, false}, "scale=-1:100", {56, 100});
    }
}

TEST(FitAndSquarePixelsTest, SidesRoundToTheNearestPixelAndNeverVanish)
{
    const struct {
        PictureSize upright;
        AVRational aspect;
        PictureShape shape;
        PictureSize size;
    } cases[] = {
        {{1920, 1080}, {1, 1}, {0, 480, false, false}, {853, 480}},     // 853.33
        {{1920, 1080}, {1, 1}, {0, 481, false, false}, {855, 481}},     // 855.11
        {{1000, 3}, {1, 1}, {10, 0, false, false}, {10, 1}},            // 0.03 is held to 1
        {{720, 480}, {8, 9}, {0, 0, true, false}, {640, 480}},
        {{720, 576}, {16, 11}, {0, 0, true, false}, {1047, 576}},       // 1047.27
        {{720, 576}, {0, 1}, {0, 0, true, false}, {720, 576}},          // unknown: square
        {{480, 720}, {9, 8}, {200, 200, true, false}, {150, 200}},
    };
    for (const auto& [upright, aspect, shape, size] : cases)
        EXPECT_EQ(ShapedSize(upright, aspect, shape), size) << upright.width << "x" << upright.height;
}

}  // namespace
