// Which frames: every rule takes exactly the positions that the rules, written out again in Python over
// the ffmpeg command's own picture list (AVI: over the RIFF structure), give; and every picture it hands
// over is byte for byte the one a decode from the start gives at that position, whether it was read by
// seeking or not. Made cases for what containers and codecs do (B-frames, an edit list, an open-GOP cut,
// a variable frame rate, hidden VP9 frames, a transport stream without an index, interlaced pictures,
// MPEG-2 and MPEG-4 B-pictures, HEVC) and the real files of both corpora (turned MOVs, field pictures).
#include "support/media_tools.h"
#include "support/test_frames.h"
#include "support/video_oracle.h"

#include "convert/picture/decoded_picture.h"
#include "convert/source/selected_frames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// Each is given to the Python rules as it stands.
const char* const kSelections[] = {"--every 3", "--interval 0.3", "--spread 7", "--keyframes",
    "--every 2 --from 0.5 --to 2.25", "--interval 0.7 --from 0:01.1", "--spread 1 --from 1"};

FrameSelection SelectionOf(const QString& text)
{
    FrameSelection selection;
    const QStringList words = text.split(QLatin1Char(' '));
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const QString value = words.value(i + 1);
        if (word == "--every" || word == "--spread") {
            selection.rule = word == "--every" ? FrameSelection::Rule::EveryNth : FrameSelection::Rule::Spread;
            selection.count = value.toLongLong();
        } else if (word == "--interval") {
            selection.rule = FrameSelection::Rule::Interval;
            selection.interval = Seconds::Parse(value).value();
        } else if (word == "--keyframes") {
            selection.rule = FrameSelection::Rule::KeyFrames;
        } else if (word == "--from") {
            selection.from = Seconds::Parse(value).value();
        } else if (word == "--to") {
            selection.to = Seconds::Parse(value).value();
        }
    }
    return selection;
}

QString Digest(const DecodedPicture& picture)
{
    return QString::fromLatin1(QCryptographicHash::hash(TopDownBgr(picture.ToPackedDib()), QCryptographicHash::Md5).toHex());
}

// What one selection took: position to digest (empty for a position without a picture).
struct Taken {
    std::map<std::int64_t, QString> pictures;
    SelectedFrames::Reading reading = SelectedFrames::Reading::FromStart;
    bool indexedByPackets = false;
};

// HDR pictures by their matrix alone: tone mapping is held to its chain elsewhere, and costs time here.
constexpr PictureLook kLook{true, false, {}};

Taken Take(const QString& video, const FrameSelection& selection)
{
    SelectedFrames frames;
    EXPECT_EQ(frames.Open(video, DecoderThreading{3, 3}, 2, kLook, selection), VideoFrameSource::Status::Ok) << video.toStdString();
    Taken taken;
    while (const std::optional<SelectedFrames::Frame> frame = frames.Next())
        taken.pictures[frame->position] = frame->picture ? Digest(*frame->picture) : QString();
    taken.reading = frames.ReadingUsed();
    taken.indexedByPackets = frames.IndexedByPackets();
    return taken;
}

// The pictures a decode from the start gives at `positions`, as today's every-frame runs read them.
std::map<std::int64_t, QString> FromTheStart(const QString& video, const std::set<std::int64_t>& positions)
{
    VideoFrameSource source;
    EXPECT_EQ(source.Open(video, DecoderThreading{3, 3}, kLook), VideoFrameSource::Status::Ok);
    std::map<std::int64_t, QString> pictures;
    for (const std::int64_t position : positions) {
        const std::shared_ptr<const DecodedPicture> picture = source.PictureAt(static_cast<std::int32_t>(position));
        pictures[position] = picture ? Digest(*picture) : QString();
    }
    return pictures;
}

struct Expectation {
    bool indexedByPackets;  // the packets prove the pictures: no decode of it all
    bool seeks;             // and the sparse rules read stretches from entry points
};

// Every selection on `video`: the positions of the Python rules, the pictures of a decode from the start.
void ExpectSelectionsExact(const QString& video, std::optional<Expectation> expectation = std::nullopt)
{
    QStringList arguments{QStringLiteral(STILLPRESS_TEST_SCRIPTS "/frame_selection.py"), video};
    for (const char* selection : kSelections)
        arguments << QLatin1String(selection);
    const ToolResult oracle = RunTool(QLatin1String(kPython), arguments);
    ASSERT_EQ(oracle.exitCode, 0) << oracle.err.toStdString();
    const QList<QByteArray> lines = oracle.out.split('\n');
    ASSERT_GE(lines.size(), qsizetype(std::size(kSelections)));

    std::vector<Taken> taken;
    std::set<std::int64_t> all;
    for (std::size_t k = 0; k < std::size(kSelections); ++k) {
        taken.push_back(Take(video, SelectionOf(QLatin1String(kSelections[k]))));
        std::vector<std::int64_t> expected;
        for (const QByteArray& word : lines[qsizetype(k)].split(' '))
            if (!word.isEmpty())
                expected.push_back(word.toLongLong());
        std::vector<std::int64_t> positions;
        for (const auto& [position, digest] : taken.back().pictures)
            positions.push_back(position);
        EXPECT_EQ(positions, expected) << video.toStdString() << " " << kSelections[k];
        all.insert(positions.begin(), positions.end());
    }
    const std::map<std::int64_t, QString> reference = FromTheStart(video, all);
    for (std::size_t k = 0; k < taken.size(); ++k) {
        for (const auto& [position, digest] : taken[k].pictures)
            EXPECT_EQ(digest.toStdString(), reference.at(position).toStdString()) << video.toStdString() << " " << kSelections[k] << " position " << position;
    }
    if (expectation) {
        EXPECT_EQ(taken[0].indexedByPackets, expectation->indexedByPackets) << video.toStdString();
        const bool seeks = taken[3].reading == SelectedFrames::Reading::Stretches;  // key frames: the sparsest
        EXPECT_EQ(seeks, expectation->seeks) << video.toStdString();
    }
}

class MadeCase : public ::testing::TestWithParam<std::tuple<const char*, const char*, Expectation>> {
protected:
    static void SetUpTestSuite() { folder_ = new QTemporaryDir(); }
    static void TearDownTestSuite() { delete folder_; }
    static QTemporaryDir* folder_;
};
QTemporaryDir* MadeCase::folder_ = nullptr;

TEST_P(MadeCase, EverySelectionIsExact)
{
    const auto& [name, recipe, expectation] = GetParam();
    const QString video = folder_->filePath(QLatin1String(name));
    // "A | B": A makes a video, which B (with the ffmpeg arguments after -i) then cuts.
    const QStringList steps = QString::fromLatin1(recipe).split(QStringLiteral(" | "));
    MakeVideo(steps.size() > 1 ? video + ".whole.ts" : video, steps[0].split(QLatin1Char(' ')));
    if (steps.size() > 1)
        MakeVideo(video, QStringList{"-i", video + ".whole.ts"} + steps[1].split(QLatin1Char(' ')));
    ExpectSelectionsExact(video, expectation);
}

// 2.5 to 4 seconds each, small, with key frames every second or so: stretches to seek to.
INSTANTIATE_TEST_SUITE_P(Containers, MadeCase,
    ::testing::Values(
        std::make_tuple("bframes.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v libx264 -g 25 -bf 3", Expectation{true, true}),
        std::make_tuple("cues.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v libx264 -g 25 -bf 2", Expectation{true, true}),
        std::make_tuple("no_index.ts", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v libx264 -g 25 -bf 2", Expectation{true, true}),
        std::make_tuple("hevc.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v libx265 -x265-params log-level=error:keyint=25:bframes=3", Expectation{true, true}),
        std::make_tuple("mpeg2.ts", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v mpeg2video -g 12 -bf 2", Expectation{true, true}),
        // FFmpeg's program streams leave out some timestamps: only a decode tells those pictures' times.
        std::make_tuple("mpeg2.mpg", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v mpeg2video -g 12 -bf 2", Expectation{false, false}),
        std::make_tuple("mpeg4.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -c:v mpeg4 -g 12 -bf 2", Expectation{true, true}),
        std::make_tuple("vfr.mkv", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 90 -pix_fmt yuv420p -vf setpts=N*N/50/TB -c:v libx264 -g 20", Expectation{true, true}),
        std::make_tuple("hidden.webm", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 60 -pix_fmt yuv420p -c:v libvpx-vp9 -auto-alt-ref 1 -lag-in-frames 16 -g 20 -deadline realtime", Expectation{false, false}),
        std::make_tuple("open_gop_cut.ts", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 100 -pix_fmt yuv420p -c:v libx264 -x264-params open-gop=1:keyint=25:min-keyint=25 -bf 3 | -ss 1.1 -c copy", Expectation{false, false}),
        std::make_tuple("interlaced.ts", "-f lavfi -i testsrc2=size=160x128:rate=25 -frames:v 50 -pix_fmt yuv420p -c:v libx264 -x264-params interlaced=1 -g 25", Expectation{true, true})));

// The corpora take minutes under the sanitizers; there the made cases meet every path, and the normal
// build runs the corpora.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STILLPRESS_UNDER_SANITIZERS
#endif
#endif

class CorpusFile : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusFile, EverySelectionIsExact)
{
#ifdef STILLPRESS_UNDER_SANITIZERS
    GTEST_SKIP() << "the corpora run in the normal build";
#endif
    const QString name = QLatin1String(GetParam());
    const QString folder = name.endsWith(QLatin1String(".avi")) ? CorpusFolder() : VideoCorpusFolder();
    if (folder.isEmpty())
        GTEST_SKIP() << "no corpus beside the repository";
    ExpectSelectionsExact(QDir(folder).filePath(name));
}

INSTANTIATE_TEST_SUITE_P(Videos, CorpusFile,
    ::testing::Values("3gp_h263_176x144_audiofirst_coremedia_filetype.3gp", "dv_dvvideo_720x576_1frame-truncated_exiftool.dv",
        "flv_flv1-sorenson_268x156_filetype.flv", "mkv_h264_1920x1080_vfr_chrome-mediarecorder_mediabunny.mkv",
        "mkv_h264_640x360_coverart-jpeg-attachment_autoeditor.mkv", "mkv_hevc10_560x320_pq_dispmat-90_xpm-attachment_mkvmerge_fate.mkv",
        "mov_h264_568x320_dispmat-90_audiofirst_iphone6_mde.mov", "mov_hevc10_1280x720_hlg-dovi_dispmat-90_bframes_iphone14pro_androidx.mov",
        "mov_mjpeg_640x480_panasonic_filetype.mov", "mp4_h264_1080x720_fragmented_bframes_androidx.mp4",
        "mp4_h264_1920x1080_dispmat-180_pixel7-lavfremux_androidx.mp4", "mp4_h264_320x240_editlist_bframes_negfirstpts_fate.mp4",
        "mp4_hevc_1440x1080_dispmat90_2videotracks_motionphoto_androidx.mp4", "mts_h264_1920x1080_interlaced_avchd_sony-a7m3_mde.mts",
        "mxf_mpeg2-422_720x608_interlaced_sony-evtr_fate.mxf", "ts_h264_640x352_starts-midgop_mediabunny.ts",
        "vob_mpeg2_720x480_dvd_lpcm_partial_fate.vob", "webm_av1_854x480_opus_webmfiles_sav1.webm",
        "webm_vp9p2_426x240_10bit_hiddenaltref_androidx.webm", "wmv_wmv2_320x240_audiofirst_fate.wmv"));

INSTANTIATE_TEST_SUITE_P(Avi, CorpusFile,
    ::testing::Values("broken_truncated_cinepak_400x187_noindex_fate.avi", "cinepak_100x75_pcm_fate.avi", "divx5_176x144_opencv.avi",
        "fmp4_480x352_mp2_1400frames_opencv.avi", "h264_1920x1080_mmaction2.avi", "h264_416x374_deeplabcut.avi",
        "h264_smv2_320x240_mp3_emptychunks_fate.avi", "huffyuv_176x144_opencv.avi", "indeo3_176x184_opencv.avi",
        "indeo5_176x144_opencv.avi", "mjpeg_468x312_ac3_emptyframes_fate.avi", "mjpeg_832x747_deeplabcut.avi",
        "msmpeg4v1_352x240_fate.avi", "msvideo1_pal8_160x120_fate.avi", "msvideo1_rgb555_148x148_fate.avi",
        "rawvideo_pal8_60x39_maxbox.avi", "v210_720x576_avix_noindex_rawcooked.avi", "vmnc_720x400_opendml_fate.avi",
        "wmv3_176x144_opencv.avi", "xvid_320x240_mp3_mmaction2.avi", "xvid_544x352_packedbframes_fate.avi"));

// Damaged MJPEG found by fuzzing, whose pictures decode as whatever their decoder read before them: a
// picture cut short shows what its buffer held, one that leans on tables uses the last ones read. A
// rule's pictures must be the same on every run and on any number of threads. In the second file all
// such damage is told, so its pictures are those of a decode from the start.
// Fuzzed files: two damaged MJPEG AVIs, and an AVI whose second chunk's header is broken, past which
// FFmpeg's reader searches on and numbers the chunks it finds otherwise than after a seek.
TEST(DamagedFileTest, RulePicturesDependOnTheFileAlone)
{
    const QDir hostile(QStringLiteral(STILLPRESS_HOSTILE_DIR));
    for (const char* name : {"mjpeg_damaged_rule_pictures_varied_by_thread.avi", "mjpeg_cut_short_rule_picture_varied_by_thread.avi",
             "broken_chunk_header_rule_positions_shifted.avi"}) {
        const QString video = hostile.filePath(QLatin1String(name));
        std::map<std::int64_t, QString> first;
        // Which stretch a thread reads after which is a matter of timing: many runs to see it.
        for (int run = 0; run < 24; ++run) {
            const unsigned stretchThreads = 1u << (run % 3);
            SelectedFrames frames;
            ASSERT_EQ(frames.Open(video, DecoderThreading{1}, stretchThreads, kLook, SelectionOf("--every 1")), VideoFrameSource::Status::Ok);
            frames.KeepFirst(8);  // few enough to be read in stretches
            std::map<std::int64_t, QString> pictures;
            while (const std::optional<SelectedFrames::Frame> frame = frames.Next())
                pictures[frame->position] = frame->picture ? Digest(*frame->picture) : QString();
            ASSERT_EQ(pictures.size(), 8u) << name;
            if (run == 0)
                first = pictures;
            EXPECT_EQ(pictures, first) << name << ", run " << run << " on " << stretchThreads << " threads";
        }
        if (!QLatin1String(name).startsWith(QLatin1String("mjpeg_damaged"))) {
            std::set<std::int64_t> positions;
            for (const auto& [position, digest] : first)
                positions.insert(position);
            EXPECT_EQ(first, FromTheStart(video, positions)) << name;
        }
    }
}

// A reader that seeks lands past the packet its palette came with, and past the file's changes of
// palette: the colours are those of the picture's place in the file all the same, as ffmpeg gives them
// decoding from the start, on any number of threads.
TEST(PaletteTest, RulePicturesHaveTheColoursOfTheirPlaceInTheFile)
{
    QTemporaryDir folder;
    const QString changes = folder.filePath(QStringLiteral("palette_changes.avi"));
    const ToolResult made = RunTool(QLatin1String(kPython), {QStringLiteral(STILLPRESS_TEST_SCRIPTS "/palette_change_avi.py"), changes});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString quickTime = folder.filePath(QStringLiteral("palette.mov"));
    MakeVideo(quickTime, {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "60", "-g", "1", "-c:v", "rawvideo", "-pix_fmt", "pal8"});
    for (const QString& video : {changes, quickTime}) {
        const ReferenceVideo reference = DecodeWithFfmpeg(video);
        ASSERT_GE(reference.pictures.size(), 40u) << video.toStdString();
        for (const char* rule : {"--every 3", "--spread 7"}) {
            for (const unsigned stretchThreads : {1u, 2u, 4u}) {
                SelectedFrames frames;
                ASSERT_EQ(frames.Open(video, DecoderThreading{1}, stretchThreads, kLook, SelectionOf(QLatin1String(rule))), VideoFrameSource::Status::Ok);
                int taken = 0;
                while (const std::optional<SelectedFrames::Frame> frame = frames.Next()) {
                    ASSERT_TRUE(frame->picture) << rule << " at " << frame->position;
                    EXPECT_EQ(TopDownBgr(frame->picture->ToPackedDib()), reference.pictures.at(static_cast<std::size_t>(frame->position)))
                        << video.toStdString() << ", " << rule << " at " << frame->position << " on " << stretchThreads << " threads";
                    ++taken;
                }
                EXPECT_EQ(frames.ReadingUsed(), SelectedFrames::Reading::Stretches) << video.toStdString() << ", " << rule;
                EXPECT_GE(taken, 7) << rule;
            }
        }
    }
}

TEST(SecondsTest, ReadExactlyAsWritten)
{
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {{"0", 0}, {"90", 90'000'000'000},
        {"0.3", 300'000'000}, {".5", 500'000'000}, {"12.000000001", 12'000'000'001}, {"1:30", 90'000'000'000},
        {"1:02:03.25", 3'723'250'000'000}, {"75:00", 4'500'000'000'000}, {"1:60", std::nullopt}, {"1:5", std::nullopt},
        {"1:2:3:4", std::nullopt}, {"-1", std::nullopt}, {"+1", std::nullopt}, {" 1", std::nullopt}, {"1.", std::nullopt},
        {"0.1234567891", std::nullopt}, {"1e3", std::nullopt}, {"", std::nullopt}, {"１", std::nullopt}, {"0x10", std::nullopt}};
    for (const auto& [text, nanoseconds] : cases) {
        const std::optional<Seconds> read = Seconds::Parse(QString::fromUtf8(text));
        EXPECT_EQ(read ? std::optional(read->nanoseconds) : std::nullopt, nanoseconds) << text;
    }
}

}  // namespace
