// Every frame the run writes must match an independent decode by the ffmpeg command at that position,
// for real files made by other programs and for videos made here in several codecs. Which positions a
// file has comes from its own chunks, read without FFmpeg: every chunk is a position, an empty one
// (a dropped frame) repeats the picture before it, at the end of the file too.
#include "support/avi_patch.h"
#include "support/frame_reference.h"
#include "support/input_fingerprints.h"
#include "support/media_tools.h"
#include "support/recording_host.h"

#include "convert/run/conversion_run.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Source {
    const char* name;
    bool lossless;             // RGB or palettized: our pixels must equal ffmpeg's exactly
    QStringList makeArguments; // empty: a corpus file
    int droppedAtTheEnd = 0;   // empty chunks appended to the made file, as a capture tool writes them
};

// Test names are enough in failure messages; the parameters would print as raw bytes.
void PrintTo(const Source& source, std::ostream* out)
{
    *out << source.name;
}

// Converts the whole video to BMP and compares every file with ffmpeg's picture for that position.
void ExpectFramesMatchReference(const QString& video, bool lossless)
{
    QTemporaryDir output;
    RecordingHost host;
    host.items = {video};
    host.outputFolder = output.path();
    std::atomic<bool> converting{false};
    const InputFingerprints before({video});
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, converting);
    EXPECT_EQ(before.Changed(), QStringList{});

    const int expected = ExpectFramesMatchFfmpeg(video, output.path(), lossless);
    EXPECT_EQ(outcome.framesWritten, expected);
    EXPECT_EQ(host.messages.value(host.messages.size() - 1), expected == 0 ? "Failed to convert to JPG." : "Done.");
}

class CorpusFile : public ::testing::TestWithParam<Source> {};

TEST_P(CorpusFile, EveryPositionMatchesFfmpeg)
{
    if (CorpusFolder().isEmpty())
        GTEST_SKIP() << "no corpus beside the repository";
    ExpectFramesMatchReference(QDir(CorpusFolder()).filePath(QString::fromLatin1(GetParam().name)), GetParam().lossless);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile,
    ::testing::Values(Source{"broken_truncated_cinepak_400x187_noindex_fate.avi", true, {}},
        Source{"cinepak_100x75_pcm_fate.avi", true, {}}, Source{"divx5_176x144_opencv.avi", false, {}},
        Source{"fmp4_480x352_mp2_1400frames_opencv.avi", false, {}}, Source{"h264_1920x1080_mmaction2.avi", false, {}},
        Source{"h264_416x374_deeplabcut.avi", false, {}}, Source{"h264_smv2_320x240_mp3_emptychunks_fate.avi", false, {}},
        Source{"huffyuv_176x144_opencv.avi", true, {}}, Source{"indeo3_176x184_opencv.avi", false, {}},
        Source{"indeo5_176x144_opencv.avi", false, {}}, Source{"mjpeg_468x312_ac3_emptyframes_fate.avi", false, {}},
        Source{"mjpeg_832x747_deeplabcut.avi", false, {}}, Source{"msmpeg4v1_352x240_fate.avi", false, {}},
        Source{"msmpeg4v2_640x356_adpcm_1frame_filetype.avi", false, {}}, Source{"msvideo1_pal8_160x120_fate.avi", true, {}},
        Source{"msvideo1_rgb555_148x148_fate.avi", true, {}}, Source{"png_13x7_1frame_corkami.avi", true, {}},
        Source{"rawvideo_bgr24_176x144_1frame_opencv.avi", true, {}}, Source{"rawvideo_bgra_176x144_1frame_opencv.avi", true, {}},
        Source{"rawvideo_pal8_60x39_maxbox.avi", true, {}}, Source{"rawvideo_yuy2_176x144_1frame_opencv.avi", false, {}},
        Source{"v210_4x4_rawcooked.avi", false, {}}, Source{"v210_720x576_avix_noindex_rawcooked.avi", false, {}},
        Source{"vmnc_720x400_opendml_fate.avi", true, {}}, Source{"wmv3_176x144_opencv.avi", false, {}},
        Source{"xvid_320x240_mp3_mmaction2.avi", false, {}}, Source{"xvid_544x352_packedbframes_fate.avi", false, {}},
        Source{"broken_headeronly_mjpeg_320x240_exiftool.avi", false, {}},
        Source{"empty_fmp4_1x1_noframes_mediainfojs.avi", false, {}}),
    [](const auto& info) { return QString::fromLatin1(info.param.name).section('.', 0, 0).toStdString(); });

class MadeVideo : public ::testing::TestWithParam<Source> {};

TEST_P(MadeVideo, EveryPositionMatchesFfmpeg)
{
    QTemporaryDir folder;
    const QString video = folder.filePath(QString::fromLatin1(GetParam().name) + QStringLiteral(".avi"));
    MakeVideo(video, GetParam().makeArguments);
    if (GetParam().droppedAtTheEnd > 0) {
        AviPatch avi(video);
        avi.AppendEmptyVideoChunks(GetParam().droppedAtTheEnd);
        avi.Save();
    }
    ExpectFramesMatchReference(video, GetParam().lossless);
}

const QStringList kColourBars = {"-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25", "-frames:v", "20"};

INSTANTIATE_TEST_SUITE_P(Codecs, MadeVideo,
    ::testing::Values(Source{"mjpeg", false, kColourBars + QStringList{"-c:v", "mjpeg", "-q:v", "3"}},
        Source{"mpeg4_bframes", false, kColourBars + QStringList{"-c:v", "mpeg4", "-bf", "2", "-q:v", "3"}},
        Source{"msmpeg4v3", false, kColourBars + QStringList{"-c:v", "msmpeg4", "-q:v", "3"}},
        Source{"h264_bframes", false, kColourBars + QStringList{"-c:v", "libx264", "-bf", "3", "-crf", "12", "-preset", "veryfast"}},
        Source{"huffyuv_rgb", true, kColourBars + QStringList{"-c:v", "huffyuv", "-pix_fmt", "rgb24"}},
        Source{"raw_bgr24_odd_size", true,
            {"-f", "lavfi", "-i", "testsrc2=size=321x241:rate=25", "-frames:v", "6", "-c:v", "rawvideo", "-pix_fmt", "bgr24"}},
        Source{"raw_pal8", true,
            {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "6", "-c:v", "rawvideo", "-pix_fmt", "pal8"}},
        Source{"dropped_frames", false,
            {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=10", "-frames:v", "20", "-vf",
                "select='not(eq(n\\,0)+eq(n\\,5)+eq(n\\,6)+eq(n\\,12))'", "-vsync", "passthrough", "-c:v", "mjpeg", "-q:v", "2"}},
        Source{"dropped_at_the_end", false,
            {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25", "-frames:v", "25", "-c:v", "mjpeg", "-q:v", "2"}, 5},
        // A capture that kept every other frame, the last one dropped too.
        Source{"mpeg2_every_other_dropped", false,
            {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=0.8", "-vf", "select='not(mod(n\\,2))'",
                "-vsync", "passthrough", "-c:v", "mpeg2video", "-q:v", "2"},
            1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// JPG files made straight from the decoder's planes must show the same colours as the source frame.
class JpegColours : public ::testing::TestWithParam<Source> {};

TEST_P(JpegColours, MatchTheSourceFrame)
{
    QTemporaryDir folder;
    const QString video = folder.filePath(QString::fromLatin1(GetParam().name) + QStringLiteral(".avi"));
    MakeVideo(video, GetParam().makeArguments);
    const ReferenceVideo reference = DecodeWithFfmpeg(video);
    ASSERT_FALSE(reference.pictures.empty());

    QTemporaryDir output;
    RecordingHost host;
    host.items = {video};
    host.outputFolder = output.path();
    host.format = OutputFormat::JPG;
    host.quality = 95;
    std::atomic<bool> converting{false};
    ASSERT_EQ(ConversionRun::Execute(host, converting).framesWritten, int(reference.pictures.size()));
    for (std::size_t k = 0; k < reference.pictures.size(); ++k) {
        const QString file = output.filePath(QStringLiteral("%1_%2.jpg").arg(GetParam().name).arg(k));
        const ToolResult decoded = RunTool("ffmpeg", {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"});
        EXPECT_GE(Psnr(decoded.out, reference.pictures[k]), 32.0) << file.toStdString();
    }
}

const QStringList kPicture = {"-f", "lavfi", "-i", "testsrc2=size=170x96:rate=25", "-frames:v", "3"};

INSTANTIATE_TEST_SUITE_P(Ranges, JpegColours,
    ::testing::Values(Source{"limited_range_420", false, kPicture + QStringList{"-c:v", "mpeg4", "-q:v", "2"}},
        Source{"full_range_420", false, kPicture + QStringList{"-c:v", "mjpeg", "-q:v", "2"}},
        Source{"bt709_420", false, kPicture + QStringList{"-c:v", "libx264", "-crf", "8", "-colorspace", "bt709"}},
        Source{"full_range_422", false, kPicture + QStringList{"-c:v", "mjpeg", "-q:v", "2", "-pix_fmt", "yuvj422p"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
