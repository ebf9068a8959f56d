// Hostile inputs, each with the outcome it must have: the exact messages the run shows and the frames
// it writes. Nothing may crash or hang, every frame written must match ffmpeg's own decode of the
// unbroken video, and no input may change.
#include "support/avi_patch.h"
#include "support/bmp_file.h"
#include "support/complete_images.h"
#include "support/input_fingerprints.h"
#include "support/measured_run.h"
#include "support/media_tools.h"
#include "support/recording_host.h"

#include "convert/run/conversion_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kCli = QStringLiteral(STILLPRESS_CLI);
const QString kHostileFolder = QStringLiteral(STILLPRESS_HOSTILE_DIR);
const QString kFileError = QStringLiteral("There was an error working with the file:\r\n");
const QString kDone = QStringLiteral("Done.");
const QString kNothingWritten = QStringLiteral("Failed to convert to JPG.");

// The video every made case starts from.
constexpr int kFrames = 20;
constexpr int kWidth = 96;
constexpr int kHeight = 64;

void MakeBaseVideo(const QString& path)
{
    MakeVideo(path, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                        "-frames:v", QString::number(kFrames), "-c:v", "mjpeg", "-q:v", "3", "-f", "avi"});
}

// Positions 0 to n - 1.
QList<int> FirstPositions(int n)
{
    QList<int> positions;
    for (int p = 0; p < n; ++p)
        positions << p;
    return positions;
}

// One hostile file made from the base video, and what the run must do with it.
struct MadeCase {
    const char* name;
    std::function<void(AviPatch&)> spoil;
    bool fileError;         // the file's error message, and no frame
    QList<int> positions;   // otherwise: exactly these frames
};

// Byte offsets of the base video's layout, found in the file itself.
qsizetype MoviData(const AviPatch& avi) { return avi.ChunkOffset("movi") + 4; }
qsizetype FrameChunk(const AviPatch& avi, int frame) { return avi.ChunkOffset("00dc", frame, MoviData(avi)); }
qsizetype IndexChunk(const AviPatch& avi) { return avi.ChunkOffset("idx1"); }

void SetFrameCount(AviPatch& avi, std::uint32_t count)
{
    avi.Set32("avih", 16, count);  // dwTotalFrames
    avi.Set32("strh", 32, count);  // the video stream's dwLength, which the frame count comes from
}

void SetFrameSize(AviPatch& avi, std::int32_t width, std::int32_t height)
{
    avi.Set32("strf", 4, static_cast<std::uint32_t>(width));
    avi.Set32("strf", 8, static_cast<std::uint32_t>(height));
}

const MadeCase kMadeCases[] = {
    {"TruncatedAfterTheHeaders", [](AviPatch& avi) { avi.Truncate(MoviData(avi), false); }, false, {}},
    {"TruncatedInsideTheIndex", [](AviPatch& avi) { avi.Truncate(IndexChunk(avi) + 8 + 10 * 16 + 5, false); }, false,
        FirstPositions(kFrames)},
    // The chunk of frame 7 breaks off: that frame is not in the file, the ones before it are.
    {"TruncatedInsideAFrame", [](AviPatch& avi) { avi.Truncate(FrameChunk(avi, 7) + 8 + 700, false); }, false,
        FirstPositions(7)},
    {"FrameCountFarBelowTheRealOne", [](AviPatch& avi) { SetFrameCount(avi, 3); }, false, FirstPositions(3)},
    {"FrameCountZero", [](AviPatch& avi) { SetFrameCount(avi, 0); }, false, {}},
    {"FrameCountFarAboveTheRealOne", [](AviPatch& avi) { SetFrameCount(avi, 0x7fffffff); }, false, FirstPositions(kFrames)},
    {"EmptyIndex",
        [](AviPatch& avi) {
            const qsizetype index = IndexChunk(avi);
            avi.Set32At(index + 4, 0);
            avi.Truncate(index + 8, true);
        },
        false, FirstPositions(kFrames)},
    {"NoIndex", [](AviPatch& avi) { avi.Truncate(IndexChunk(avi), true); }, false, FirstPositions(kFrames)},
    // A header that says nothing of the size: the pictures carry their own.
    {"Size0x0", [](AviPatch& avi) { SetFrameSize(avi, 0, 0); }, false, FirstPositions(kFrames)},
    {"SizeUnlikeThePictures", [](AviPatch& avi) { SetFrameSize(avi, 16, 16); }, false, FirstPositions(kFrames)},
    {"NegativeWidth", [](AviPatch& avi) { SetFrameSize(avi, -kWidth, kHeight); }, true, {}},
    // A negative height is a top-down bitmap's header, a real size: the frames are the same.
    {"NegativeHeight", [](AviPatch& avi) { SetFrameSize(avi, kWidth, -kHeight); }, false, FirstPositions(kFrames)},
};

class MadeHostileFile : public ::testing::TestWithParam<MadeCase> {};

TEST_P(MadeHostileFile, HasItsOutcome)
{
    const MadeCase& c = GetParam();
    QTemporaryDir inputs;
    QTemporaryDir output;
    const QString base = inputs.filePath("base.avi");
    MakeBaseVideo(base);
    const ReferenceVideo reference = DecodeWithFfmpeg(base);
    ASSERT_EQ(reference.pictures.size(), std::size_t{kFrames});

    const QString video = inputs.filePath("clip.avi");
    ASSERT_TRUE(QFile::copy(base, video));
    AviPatch avi(video);
    c.spoil(avi);
    avi.Save();
    const InputFingerprints inputsBefore({video});

    RecordingHost host;
    host.items = {video};
    host.outputFolder = output.path();
    host.format = OutputFormat::BMP;
    std::atomic<bool> converting{false};
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, converting);

    const QStringList expectedMessages = c.fileError ? QStringList{kFileError + video, kNothingWritten}
                                                     : QStringList{c.positions.isEmpty() ? kNothingWritten : kDone};
    EXPECT_EQ(host.messages, expectedMessages);
    EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
    QStringList expectedFiles;
    for (int p : c.positions)
        expectedFiles << QStringLiteral("clip_%1.bmp").arg(p);
    expectedFiles.sort();
    QStringList written = QDir(output.path()).entryList(QDir::Files);
    written.sort();
    EXPECT_EQ(written, expectedFiles);
    EXPECT_EQ(outcome.framesWritten, c.positions.size());
    for (int p : c.positions) {
        const std::optional<BmpImage> image = ReadBmp(output.filePath(QStringLiteral("clip_%1.bmp").arg(p)));
        ASSERT_TRUE(image) << "frame " << p;
        ASSERT_EQ(image->width, kWidth);
        ASSERT_EQ(image->height, kHeight);
        EXPECT_GE(Psnr(image->topDownBgr, reference.pictures[std::size_t(p)]), 40.0) << "frame " << p;
    }
    EXPECT_EQ(IncompleteImages(output.path(), "bmp", kWidth, kHeight), QStringList{});
    EXPECT_EQ(inputsBefore.Changed(), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Hostile, MadeHostileFile, ::testing::ValuesIn(kMadeCases),
    [](const auto& info) { return std::string(info.param.name); });

// Files kept in the repository, each a fault once found, run in stillpress-cli so that a hang fails
// the test in bounded time. What ffmpeg itself makes of each file is the expected outcome: the k-th
// picture at the k-th packet's position, repeated up to the next one. BMP shows the pictures; JPG
// takes the decoder's planes where it can, a path of its own that must read only what is there.
class KeptHostileFile : public ::testing::TestWithParam<const char*> {};

TEST_P(KeptHostileFile, GivesWhatFfmpegGivesWithoutHanging)
{
    const QString video = QDir(kHostileFolder).filePath(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(QFileInfo::exists(video)) << video.toStdString();
    const ReferenceVideo reference = DecodeWithFfmpeg(video);
    const InputFingerprints inputsBefore({video});

    // Packet positions can be far apart, so the expected frames are counted by span, not position by position.
    const QString stem = QFileInfo(video).completeBaseName();
    // The last picture also stands for the packets after it that failed to decode.
    QMap<std::int64_t, std::size_t> expected;  // position, picture index
    const std::size_t usable = std::min(reference.pictures.size(), reference.packetPositions.size());
    std::int64_t lastPacket = reference.packetPositions.empty() ? -1 : reference.packetPositions.back();
    for (const std::int64_t failed : reference.failedPositions)
        lastPacket = std::max(lastPacket, failed);
    for (std::size_t k = 0; k < usable; ++k) {
        const std::int64_t end = k + 1 < reference.packetPositions.size() ? reference.packetPositions[k + 1] : lastPacket + 1;
        for (std::int64_t p = reference.packetPositions[k]; p < std::min(end, reference.headerFrameCount); ++p)
            expected.insert(p, k);
    }

    for (const char* format : {"bmp", "jpg"}) {
        SCOPED_TRACE(format);
        QTemporaryDir output;
        const MeasuredRun run = RunMeasured(kCli, {"--format", format, "--output", output.path(), video}, 60000);
        ASSERT_TRUE(run.finished) << "stillpress-cli hung";
        QStringList names;
        for (auto at = expected.cbegin(); at != expected.cend(); ++at)
            names << QStringLiteral("%1_%2.%3").arg(stem).arg(at.key()).arg(QLatin1String(format));
        names.sort();
        QStringList written = QDir(output.path()).entryList(QDir::Files);
        written.sort();
        EXPECT_EQ(written, names);
        EXPECT_EQ(run.out, QByteArray::number(expected.size()) + "\n");
        EXPECT_EQ(run.exitCode, expected.isEmpty() ? 1 : 0);
        EXPECT_TRUE(run.err.endsWith(((expected.isEmpty() ? kNothingWritten : kDone) + "\n").toUtf8())) << run.err.toStdString();
        // A damaged file that asks for an absurd block is damage, not a machine short of memory.
        EXPECT_FALSE(run.err.contains("Out of memory")) << run.err.toStdString();
        EXPECT_EQ(IncompleteImages(output.path(), QLatin1String(format), reference.width, reference.height), QStringList{});
        for (auto at = expected.cbegin(); at != expected.cend(); ++at) {
            const QString file = output.filePath(QStringLiteral("%1_%2.%3").arg(stem).arg(at.key()).arg(QLatin1String(format)));
            const ToolResult decoded = RunTool("ffmpeg", {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"});
            // JPG keeps the picture at quality 85; what the file is made of decides how close.
            EXPECT_GE(Psnr(decoded.out, reference.pictures[at.value()]), QLatin1String(format) == "bmp" ? 40.0 : 24.0)
                << file.toStdString();
        }
    }
    EXPECT_EQ(inputsBefore.Changed(), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Hostile, KeptHostileFile,
    ::testing::Values("first_chunk_numbered_far_beyond_zero.avi", "jpg_planes_odd_width_read_overflow.avi",
        "jpg_planes_odd_height_read_overflow.avi", "hevc_chunk_claiming_4_gb.avi", "hevc_chunk_claiming_4_gb_short.avi",
        "mjpeg_picture_unlike_header_reported_out_of_memory.avi"),
    [](const auto& info) { return QString::fromLatin1(info.param).section('.', 0, 0).toStdString(); });

class HostileInputs : public ::testing::Test {
protected:
    void SetUp() override { host.outputFolder = output.path(); }

    QString GoodVideo(const QString& name)
    {
        const QString path = inputs.filePath(name);
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25", "-frames:v", "3", "-c:v", "mjpeg", "-f", "avi"});
        return path;
    }
    ConversionRun::Outcome Run() { return ConversionRun::Execute(host, converting); }
    QStringList Written() const { return QDir(output.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir inputs;
    QTemporaryDir output;
    RecordingHost host;
    std::atomic<bool> converting{false};
};

TEST_F(HostileInputs, FileRemovedBetweenAddingAndConvertingIsReportedAndTheRunGoesOn)
{
    const QString removed = GoodVideo("removed.avi");
    const QString kept = GoodVideo("kept.avi");
    host.items = {removed, kept};
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "ItemText")
            QFile::remove(removed);
    };
    const InputFingerprints keptBefore({kept});
    const auto outcome = Run();
    EXPECT_EQ(host.messages, (QStringList{kFileError + removed, kDone}));
    EXPECT_EQ(outcome.framesWritten, 3);
    EXPECT_EQ(Written(), (QStringList{"kept_0.bmp", "kept_1.bmp", "kept_2.bmp"}));
    EXPECT_EQ(keptBefore.Changed(), QStringList{});
}

TEST_F(HostileInputs, OpenDmlFileGivesEveryFrameOfItsHeader)
{
    if (CorpusFolder().isEmpty())
        GTEST_SKIP() << "no corpus beside the repository";
    const QString video = QDir(CorpusFolder()).filePath("vmnc_720x400_opendml_fate.avi");
    const ReferenceVideo reference = DecodeWithFfmpeg(video);
    ASSERT_GT(reference.headerFrameCount, 0);
    host.items = {video};
    const InputFingerprints before({video});
    const auto outcome = Run();
    EXPECT_EQ(host.messages, QStringList{kDone});
    EXPECT_EQ(outcome.framesWritten, reference.headerFrameCount);
    EXPECT_EQ(Written().size(), reference.headerFrameCount);
    EXPECT_EQ(before.Changed(), QStringList{});
}

// Inputs that would block or never end when opened, and inputs only root could read: these run in
// stillpress-cli, bounded in time, so a hang fails the test instead of stopping the suite.
class HostileInputsInCli : public HostileInputs {
protected:
    MeasuredRun Cli(const QStringList& files) { return RunMeasured(kCli, QStringList{"--format", "bmp", "--output", output.path()} + files, 60000); }
};

TEST_F(HostileInputsInCli, PipeOrDeviceNamedAviIsAnUnreadableFile)
{
    const QString pipe = inputs.filePath("pipe.avi");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const QString device = inputs.filePath("zeros.avi");
    ASSERT_TRUE(QFile::link("/dev/zero", device));
    const QString good = GoodVideo("good.avi");
    const InputFingerprints before({pipe, device, good});

    const MeasuredRun run = Cli({pipe, device, good});
    ASSERT_TRUE(run.finished) << "stillpress-cli hung on a pipe or a device";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "3\n");
    EXPECT_TRUE(run.err.contains(("There was an error working with the file:\n" + pipe).toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(("There was an error working with the file:\n" + device).toUtf8())) << run.err.toStdString();
    EXPECT_EQ(Written(), (QStringList{"good_0.bmp", "good_1.bmp", "good_2.bmp"}));
    EXPECT_EQ(before.Changed(), QStringList{});
}

TEST_F(HostileInputsInCli, AbsurdFrameSizeIsRefusedBeforeAnyLargeAllocation)
{
    // 100000 x 100000 would be 30 GB a frame; 20000 x 20000 still 1.2 GB, which could be allocated.
    const QList<std::pair<int, int>> sizes = {{100000, 100000}, {20000, 20000}, {100000, 2}};
    for (const auto& [width, height] : sizes) {
        const QString video = inputs.filePath(QStringLiteral("huge_%1x%2.avi").arg(width).arg(height));
        MakeBaseVideo(video);
        AviPatch avi(video);
        SetFrameSize(avi, width, height);
        avi.Save();
        const MeasuredRun run = Cli({video});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "0\n");
        EXPECT_TRUE(run.err.contains(("There was an error working with the file:\n" + video).toUtf8())) << run.err.toStdString();
        // A run of the program itself stays far below one such frame.
        EXPECT_LT(run.peakResidentKib, 300 * 1024) << width << "x" << height;
    }
    EXPECT_TRUE(Written().isEmpty());
}

TEST_F(HostileInputsInCli, FileTheUserCannotReadIsReportedAndTheRunGoesOn)
{
    // Root reads every file, so the program runs as the unprivileged user "nobody".
    if (geteuid() != 0 || RunTool("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "true"}).exitCode != 0)
        GTEST_SKIP() << "running as another user needs root and setpriv";
    const QString locked = GoodVideo("locked.avi");
    const QString open = GoodVideo("open.avi");
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0), 0);
    for (const QString& folder : {inputs.path(), output.path()})
        ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0777), 0);
    const InputFingerprints before({locked, open});

    const ToolResult run = RunTool("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", kCli, "--format", "bmp",
                                                  "--output", output.path(), locked, open});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "3\n");
    EXPECT_TRUE(run.err.contains(("There was an error working with the file:\n" + locked).toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Done.")) << run.err.toStdString();
    EXPECT_EQ(Written(), (QStringList{"open_0.bmp", "open_1.bmp", "open_2.bmp"}));
    EXPECT_EQ(before.Changed(), QStringList{});
}

}  // namespace
