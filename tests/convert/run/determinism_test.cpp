// A run's files are a function of the video alone: the same bytes with 1, 2 or 4 threads and on every
// run, for odd and even sizes, both colour ranges, BT.601 and BT.709, every chroma subsampling,
// palettes and 10-bit sources, damaged files and the real files of both corpora. The BMP files also
// match the ffmpeg command's own decode.
#include "support/avi_patch.h"
#include "support/frame_reference.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/video_oracle.h"

#include "convert/run/conversion_run.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Video {
    const char* name;
    QStringList makeArguments;  // empty: a corpus file
    bool lossless = false;      // our BMP pixels must equal ffmpeg's exactly
    QList<int> damagedChunks;   // chunks whose data is scrambled after making,
    double damagedFrom = 0;     // from this share of their length on
};

// The files of one run, name to digest, kept in a folder of their own.
struct RunFiles {
    std::unique_ptr<QTemporaryDir> folder = std::make_unique<QTemporaryDir>();
    QMap<QString, QByteArray> digests;
};

RunFiles Convert(const QString& video, OutputFormat format, unsigned threads, const QString& framesAnswer)
{
    RunFiles files;
    RecordingHost host;
    host.items = {video};
    host.outputFolder = files.folder->path();
    host.format = format;
    if (!framesAnswer.isEmpty()) {
        host.frameChoice = QStringLiteral("Save every x frames in AVI as JPG");
        host.xAnswer = framesAnswer;
    }
    std::atomic<bool> converting{false};
    ConversionRun::Execute(host, converting, RunSettings{threads});
    EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
    for (const QString& name : QDir(files.folder->path()).entryList(QDir::Files)) {
        QFile file(files.folder->filePath(name));
        file.open(QIODevice::ReadOnly);
        files.digests[name] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    return files;
}

// Under the sanitizers a run takes several times as long: there each video is converted to BMP on
// one thread and again on four, which still meets every path; the normal build runs the whole matrix.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STILLPRESS_UNDER_SANITIZERS
#endif
#endif
#ifdef STILLPRESS_UNDER_SANITIZERS
constexpr OutputFormat kFormats[] = {OutputFormat::BMP};
constexpr unsigned kThreadsAfterOne[] = {4};
#else
constexpr OutputFormat kFormats[] = {OutputFormat::JPG, OutputFormat::BMP};
constexpr unsigned kThreadsAfterOne[] = {2, 4, 4};
#endif

// Converts to BMP and JPG on 1, 2 and 4 threads and again on 4, expecting the same files each time;
// answers the BMP files of the last run.
RunFiles ExpectSameBytesOnEveryRun(const QString& video, const QString& framesAnswer = {})
{
    RunFiles bitmaps;
    for (const OutputFormat format : kFormats) {
        const RunFiles first = Convert(video, format, 1, framesAnswer);
        for (const unsigned threads : kThreadsAfterOne) {
            RunFiles again = Convert(video, format, threads, framesAnswer);
            EXPECT_EQ(again.digests.keys(), first.digests.keys()) << threads << " threads";
            for (auto at = first.digests.cbegin(); at != first.digests.cend(); ++at)
                EXPECT_EQ(again.digests.value(at.key()), at.value()) << at.key().toStdString() << ", " << threads << " threads";
            if (format == OutputFormat::BMP)
                bitmaps = std::move(again);
        }
    }
    return bitmaps;
}

// Test names are enough in failure messages; the parameters would print as raw bytes.
void PrintTo(const Video& video, std::ostream* out)
{
    *out << video.name;
}

Video Made(const char* name, const QStringList& arguments, bool lossless = false)
{
    return Video{name, arguments, lossless, {}, 0};
}

Video Damaged(const char* name, const QStringList& arguments, const QList<int>& chunks, double from)
{
    return Video{name, arguments, false, chunks, from};
}

class MadeVideoOutput : public ::testing::TestWithParam<Video> {};

TEST_P(MadeVideoOutput, IsTheSameOnEveryRunAndMatchesFfmpeg)
{
    const Video& made = GetParam();
    QTemporaryDir folder;
    const QString video = folder.filePath(QString::fromLatin1(made.name) + QStringLiteral(".avi"));
    MakeVideo(video, made.makeArguments);
    if (!made.damagedChunks.isEmpty()) {
        AviPatch avi(video);
        for (int chunk : made.damagedChunks)
            avi.ScrambleVideoChunk(chunk, made.damagedFrom);
        avi.Save();
    }
    const RunFiles bitmaps = ExpectSameBytesOnEveryRun(video);
    EXPECT_GT(ExpectFramesMatchFfmpeg(video, bitmaps.folder->path(), made.lossless), 0);
}

// Colour bars scaled to an odd or even size, six frames.
QStringList Bars(const char* size, int frames = 6)
{
    return {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-frames:v", QString::number(frames), "-vf",
        QStringLiteral("scale=%1").arg(QLatin1String(size))};
}

// Large enough to be decoded on several threads.
const QStringList kBFrames = {"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25", "-frames:v", "30"};

INSTANTIATE_TEST_SUITE_P(Colours, MadeVideoOutput,
    ::testing::Values(
        // The two files that once came out differently on every run.
        Made("mjpeg_full_range_420_321x241", Bars("321:241", 25) + QStringList{"-c:v", "mjpeg", "-q:v", "3", "-pix_fmt", "yuvj420p"}),
        Made("h264_bt709_444_321x241", Bars("321:241", 25) + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv444p", "-colorspace",
                                                                   "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"}),
        Made("raw_420_1x1", Bars("1:1") + QStringList{"-c:v", "rawvideo", "-pix_fmt", "yuv420p"}),
        Made("mjpeg_full_range_420_1x1", Bars("1:1") + QStringList{"-c:v", "mjpeg", "-pix_fmt", "yuvj420p"}),
        // "jpeg" is ffmpeg's name for the full range.
        Made("h264_bt709_full_range_444_2x2", Bars("2:2") + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv444p", "-colorspace",
                                                                  "bt709", "-color_range", "jpeg", "-crf", "10"}),
        Made("mjpeg_full_range_444_3x2", Bars("3:2") + QStringList{"-c:v", "mjpeg", "-pix_fmt", "yuvj444p"}),
        Made("huffyuv_rgb_3x3", Bars("3:3") + QStringList{"-c:v", "huffyuv", "-pix_fmt", "rgb24"}, true),
        Made("mpeg4_limited_420_97x31", Bars("97:31") + QStringList{"-c:v", "mpeg4", "-q:v", "2"}),
        Made("msmpeg4_limited_420_97x16", Bars("97:16") + QStringList{"-c:v", "msmpeg4", "-q:v", "2"}),
        Made("h264_full_range_420_98x34", Bars("98:34") + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-color_range", "jpeg"}),
        Made("h264_bt709_limited_422_98x34", Bars("98:34") + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv422p", "-colorspace",
                                                                 "bt709", "-crf", "10"}),
        Made("mjpeg_full_range_422_97x33", Bars("97:33") + QStringList{"-c:v", "mjpeg", "-pix_fmt", "yuvj422p"}),
        Made("ffv1_limited_422_321x241", Bars("321:241") + QStringList{"-c:v", "ffv1", "-pix_fmt", "yuv422p"}),
        Made("h264_10bit_444_97x33", Bars("97:33") + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv444p10le", "-crf", "10"}),
        Made("ffv1_10bit_bt709_420_321x241", Bars("321:241") + QStringList{"-c:v", "ffv1", "-pix_fmt", "yuv420p10le", "-colorspace", "bt709"}),
        Made("raw_palette_97x61", Bars("97:61") + QStringList{"-c:v", "rawvideo", "-pix_fmt", "pal8"}, true)),
    [](const auto& info) { return std::string(info.param.name); });

// Damaged packets in the middle, partly (the decoder hides the damage) or whole (it fails them): on
// several threads the decoder learns of it packets later than on one and hides it otherwise, and
// neither the numbering nor the pictures may depend on that.
const QStringList kMpeg4 = kBFrames + QStringList{"-c:v", "mpeg4", "-bf", "2", "-q:v", "3"};
const QStringList kH264 = kBFrames + QStringList{"-c:v", "libx264", "-bf", "3", "-crf", "16"};

INSTANTIATE_TEST_SUITE_P(Damaged, MadeVideoOutput,
    ::testing::Values(Damaged("mpeg4_bframes_hidden", kMpeg4, {10, 11, 21}, 0.25),
        Damaged("mpeg4_bframes_failed", kMpeg4, {10, 11, 21}, 0), Damaged("h264_bframes_hidden", kH264, {10, 17, 18}, 0.25),
        Damaged("h264_bframes_failed", kH264, {10, 17, 18}, 0)),
    [](const auto& info) { return std::string(info.param.name); });

class CorpusOutput : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusOutput, IsTheSameOnEveryRun)
{
    if (CorpusFolder().isEmpty())
        GTEST_SKIP() << "no corpus beside the repository";
    // The first 40 frames: enough to fill every thread, few enough for the 1080p file.
    ExpectSameBytesOnEveryRun(QDir(CorpusFolder()).filePath(QString::fromLatin1(GetParam())), QStringLiteral("40"));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusOutput,
    ::testing::Values("broken_truncated_cinepak_400x187_noindex_fate.avi", "cinepak_100x75_pcm_fate.avi",
        "divx5_176x144_opencv.avi", "fmp4_480x352_mp2_1400frames_opencv.avi", "h264_1920x1080_mmaction2.avi",
        "h264_416x374_deeplabcut.avi", "h264_smv2_320x240_mp3_emptychunks_fate.avi", "huffyuv_176x144_opencv.avi",
        "indeo3_176x184_opencv.avi", "indeo5_176x144_opencv.avi", "mjpeg_468x312_ac3_emptyframes_fate.avi",
        "mjpeg_832x747_deeplabcut.avi", "msmpeg4v1_352x240_fate.avi", "msmpeg4v2_640x356_adpcm_1frame_filetype.avi",
        "msvideo1_pal8_160x120_fate.avi", "msvideo1_rgb555_148x148_fate.avi", "png_13x7_1frame_corkami.avi",
        "rawvideo_bgr24_176x144_1frame_opencv.avi", "rawvideo_bgra_176x144_1frame_opencv.avi",
        "rawvideo_pal8_60x39_maxbox.avi", "rawvideo_yuy2_176x144_1frame_opencv.avi", "v210_4x4_rawcooked.avi",
        "v210_720x576_avix_noindex_rawcooked.avi", "vmnc_720x400_opendml_fate.avi", "wmv3_176x144_opencv.avi",
        "xvid_320x240_mp3_mmaction2.avi", "xvid_544x352_packedbframes_fate.avi"),
    [](const auto& info) { return QString::fromLatin1(info.param).section('.', 0, 0).toStdString(); });

class VideoCorpusOutput : public ::testing::TestWithParam<const char*> {};

TEST_P(VideoCorpusOutput, IsTheSameOnEveryRun)
{
    if (VideoCorpusFolder().isEmpty())
        GTEST_SKIP() << "no video corpus beside the repository";
    ExpectSameBytesOnEveryRun(QDir(VideoCorpusFolder()).filePath(QString::fromLatin1(GetParam())), QStringLiteral("40"));
}

// B-frames, frame threads over pictures that depend on each other, fields, hidden frames, a start
// without a key frame, turned pictures and HDR pictures tone-mapped (PQ, HLG).
INSTANTIATE_TEST_SUITE_P(Corpus, VideoCorpusOutput,
    ::testing::Values("mkv_h264_1920x1080_vfr_chrome-mediarecorder_mediabunny.mkv", "mp4_h264_1080x720_fragmented_bframes_androidx.mp4",
        "mts_h264_1920x1080_interlaced_avchd_sony-a7m3_mde.mts", "ts_h264_640x352_starts-midgop_mediabunny.ts",
        "webm_vp9p2_426x240_10bit_hiddenaltref_androidx.webm", "webm_av1_854x480_opus_webmfiles_sav1.webm",
        "mov_h264_568x320_dispmat-90_audiofirst_iphone6_mde.mov", "vob_mpeg2_720x480_dvd_lpcm_partial_fate.vob",
        "mkv_hevc10_560x320_pq_dispmat-90_xpm-attachment_mkvmerge_fate.mkv",
        "mov_hevc10_1280x720_hlg-dovi_dispmat-90_bframes_iphone14pro_androidx.mov"),
    [](const auto& info) { return QString::fromLatin1(info.param).section('.', 0, 0).replace('-', '_').toStdString(); });

}  // namespace
