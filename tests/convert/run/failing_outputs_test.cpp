// Outputs that fail: a folder made read-only mid-run, a full disk, read-only files of the same name,
// very long and Unicode paths. A failure of the folder is reported once, naming its file and the
// cause, and ends the run; a failure of one frame is reported for that frame and the run goes on.
// Every file under a final name is a complete image; the inputs stay as they were.
#include "support/bmp_file.h"
#include "support/complete_images.h"
#include "support/input_fingerprints.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/scratch_mount.h"

#include "convert/run/conversion_run.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kDone = QStringLiteral("Done.");
const QString kNothingWritten = QStringLiteral("Failed to convert to JPG.");
const QString kNotFinished = QStringLiteral("The run did not finish: images cannot be saved in the output folder.");
constexpr int kWidth = 96;
constexpr int kHeight = 64;

// Why mounting a scratch file system is impossible here, or empty when it works.
QString MountUnavailable()
{
    QTemporaryDir probe;
    QString why;
    return ScratchMount::SmallDisk(probe.path(), 64 * 1024, why) ? QString() : why;
}

class FailingOutputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.outputFolder = output.path();
        host.format = OutputFormat::BMP;
    }

    // An MJPEG video of `frames` frames at `path`.
    static void MakeClip(const QString& path, int frames)
    {
        MakeVideo(path, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                            "-frames:v", QString::number(frames), "-c:v", "mjpeg", "-f", "avi"});
    }
    QString Video(const QString& name, int frames)
    {
        const QString path = inputs.filePath(name);
        MakeClip(path, frames);
        return path;
    }

    ConversionRun::Outcome Run()
    {
        const InputFingerprints before(host.items);
        const ConversionRun::Outcome outcome = ConversionRun::Execute(host, converting);
        EXPECT_EQ(before.Changed(), QStringList{});
        return outcome;
    }

    // Every frame 0 .. frames - 1 of `stem` is either written whole or reported once, with its path
    // and `cause`; the final message follows the written count.
    void ExpectEachFrameWrittenOrReported(const ConversionRun::Outcome& outcome, const QString& folder,
        const QString& stem, int frames, const QString& cause)
    {
        const QString extension = ExtensionOf(host.format);
        QSet<int> written;
        for (int frame = 0; frame < frames; ++frame) {
            if (QFile::exists(QDir(folder).filePath(QStringLiteral("%1_%2.%3").arg(stem).arg(frame).arg(extension))))
                written.insert(frame);
        }
        QSet<int> reported;
        const QRegularExpression report(QStringLiteral("^Cannot save the image\\. Cannot write %1_(\\d+)\\.%2: (.*)\r\n.* at line \\d+\r\r")
                                            .arg(QRegularExpression::escape(QDir(folder).filePath(stem)), extension));
        for (const QString& text : host.reports) {
            const QRegularExpressionMatch match = report.match(text);
            ASSERT_TRUE(match.hasMatch()) << text.toStdString();
            EXPECT_EQ(match.captured(2), cause) << text.toStdString();
            const int frame = match.captured(1).toInt();
            EXPECT_FALSE(reported.contains(frame)) << "frame " << frame << " reported twice";
            EXPECT_FALSE(written.contains(frame)) << "frame " << frame << " reported but written";
            reported.insert(frame);
        }
        EXPECT_EQ(written.size() + reported.size(), frames);
        EXPECT_EQ(outcome.framesWritten, written.size());
        EXPECT_EQ(host.messages, QStringList{written.isEmpty() ? kNothingWritten : kDone});
        EXPECT_EQ(IncompleteImages(folder, extension, kWidth, kHeight), QStringList{});
    }

    // The folder failed while frames were written: one failure is reported, with its path and
    // `cause`, and ends the run. Every frame written before is there whole, and nothing else is in the
    // folder, but for the temporary files `undeletable` (a folder turned read-only) cannot lose.
    void ExpectRunEndedAtTheFolderFailure(const ConversionRun::Outcome& outcome, const QString& stem, const QString& cause,
        bool undeletable = false)
    {
        ASSERT_EQ(host.reports.size(), 1) << host.reports.join('\n').toStdString();
        const QRegularExpression report(QStringLiteral("^Cannot save the image\\. Cannot write %1_(\\d+)\\.bmp: (.*)\r\n.* at line 246\r\r")
                                            .arg(QRegularExpression::escape(output.filePath(stem))));
        const QRegularExpressionMatch match = report.match(host.reports[0]);
        ASSERT_TRUE(match.hasMatch()) << host.reports[0].toStdString();
        EXPECT_EQ(match.captured(2), cause);
        QStringList left = QDir(output.path()).entryList(QDir::Files | QDir::Hidden);
        if (undeletable)
            left = left.filter(QRegularExpression(QStringLiteral("(?<!\\.partial)$")));
        EXPECT_FALSE(left.contains(QStringLiteral("%1_%2.bmp").arg(stem, match.captured(1))));
        for (const QString& name : left)
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1_\\d+\\.bmp$").arg(QRegularExpression::escape(stem))).match(name).hasMatch())
                << "left behind: " << name.toStdString();
        EXPECT_EQ(outcome.framesWritten, left.size());
        EXPECT_EQ(IncompleteImages(output.path(), "bmp", kWidth, kHeight), QStringList{});
        EXPECT_EQ(host.messages, QStringList{kNotFinished});
        EXPECT_EQ(host.frames.last(), "Progress Bar 2");
    }

    QTemporaryDir inputs;
    QTemporaryDir output;
    std::optional<ScratchMount> mount;  // declared after the folder it covers, so it goes first
    RecordingHost host;
    std::atomic<bool> converting{false};
};

TEST_F(FailingOutputs, FolderMadeReadOnlyMidRunIsReportedOnceAndEndsTheRun)
{
    if (const QString why = MountUnavailable(); !why.isEmpty())
        GTEST_SKIP() << "a read-only folder for root needs a mount: " << why.toStdString();
    host.items = {Video("clip.avi", 30), Video("later.avi", 5)};
    int shown = 0;
    QString why;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Format" && ++shown == 4)
            mount = ScratchMount::ReadOnly(output.path(), why);
    };
    const auto outcome = Run();
    ASSERT_TRUE(mount) << why.toStdString();
    EXPECT_LE(outcome.framesWritten, 3);  // the fourth frame and those after it came too late
    ExpectRunEndedAtTheFolderFailure(outcome, "clip", "Read-only file system", true);
    EXPECT_FALSE(host.files.contains("Processing: later.avi"));
}

TEST_F(FailingOutputs, FullDiskIsReportedOnceAndEndsTheRun)
{
    QString why;
    mount = ScratchMount::SmallDisk(output.path(), 128 * 1024, why);
    if (!mount)
        GTEST_SKIP() << "a small disk needs a tmpfs mount: " << why.toStdString();
    host.items = {Video("clip.avi", 30), Video("later.avi", 5)};
    const auto outcome = Run();
    EXPECT_GE(outcome.framesWritten, 1);
    EXPECT_LT(outcome.framesWritten, 30);
    ExpectRunEndedAtTheFolderFailure(outcome, "clip", "No space left on device");
    EXPECT_FALSE(host.files.contains("Processing: later.avi"));
}

TEST_F(FailingOutputs, FullDiskEndsACommandLineRunWithOneReport)
{
    QString why;
    constexpr int kDiskBytes = 128 * 1024;
    mount = ScratchMount::SmallDisk(output.path(), kDiskBytes, why);
    if (!mount)
        GTEST_SKIP() << "a small disk needs a tmpfs mount: " << why.toStdString();
    const ToolResult run = RunTool(QStringLiteral(STILLPRESS_CLI),
        {"--format", "bmp", "--output", output.path(), Video("clip.avi", 30), Video("later.avi", 5)});

    const QStringList left = QDir(output.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QByteArray::number(left.size()) + "\n");
    EXPECT_GE(left.size(), 1);
    EXPECT_LE(left.size() * (54 + kWidth * kHeight * 3), kDiskBytes);  // whole bitmaps, as many as fit
    for (const QString& name : left)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^clip_\\d+\\.bmp$")).match(name).hasMatch()) << "left behind: " << name.toStdString();
    EXPECT_EQ(IncompleteImages(output.path(), "bmp", kWidth, kHeight), QStringList{});
    const QString messages = QString::fromLocal8Bit(run.err);
    EXPECT_EQ(messages.count(QStringLiteral("Application Error: ")), 1) << run.err.toStdString();
    EXPECT_TRUE(messages.contains(QStringLiteral(".bmp: No space left on device\n"))) << run.err.toStdString();
    EXPECT_TRUE(messages.endsWith(kNotFinished + "\n")) << run.err.toStdString();
    EXPECT_FALSE(messages.contains(QStringLiteral("later.avi"))) << run.err.toStdString();
}

TEST_F(FailingOutputs, FolderRemovedMidRunIsReportedOnceAndEndsTheRun)
{
    host.items = {Video("clip.avi", 30)};
    int shown = 0;
    host.beforeRead = [&](const char* member) {
        // Frames in flight may still create files in it while it goes: removed until it is gone.
        if (QByteArray(member) == "Format" && ++shown == 4) {
            for (int attempt = 0; attempt < 100 && QDir(output.path()).exists(); ++attempt)
                QDir(output.path()).removeRecursively();
        }
    };
    const auto outcome = Run();
    EXPECT_FALSE(QDir(output.path()).exists());
    ASSERT_EQ(host.reports.size(), 1) << host.reports.join('\n').toStdString();
    EXPECT_TRUE(host.reports[0].startsWith("Cannot save the image. Cannot write " + output.filePath("clip_"))) << host.reports[0].toStdString();
    EXPECT_TRUE(host.reports[0].contains(".bmp: No such file or directory\r\n")) << host.reports[0].toStdString();
    EXPECT_EQ(host.messages, QStringList{kNotFinished});
    EXPECT_LE(outcome.framesWritten, 3);
}

TEST_F(FailingOutputs, ReadOnlyFilesOfTheSameNameAreReplacedByCompleteOnes)
{
    const QString video = Video("clip.avi", 5);
    for (int frame = 0; frame < 5; ++frame) {
        QFile old(output.filePath(QStringLiteral("clip_%1.bmp").arg(frame)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, shorter file");
        old.close();
        ASSERT_TRUE(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
    host.items = {video};
    const auto outcome = Run();
    EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
    ExpectEachFrameWrittenOrReported(outcome, output.path(), "clip", 5, {});
    const ReferenceVideo reference = DecodeWithFfmpeg(video);
    ASSERT_EQ(reference.pictures.size(), 5u);
    for (int frame = 0; frame < 5; ++frame) {
        const std::optional<BmpImage> image = ReadBmp(output.filePath(QStringLiteral("clip_%1.bmp").arg(frame)));
        ASSERT_TRUE(image) << frame;
        EXPECT_GE(Psnr(image->topDownBgr, reference.pictures[std::size_t(frame)]), 40.0) << frame;
    }
}

TEST_F(FailingOutputs, LongNamesAreWrittenUpToTheFileSystemsLimit)
{
    // Final names of 246 characters, and of 246 bytes in 80 three-byte characters: they fit in the
    // 255 bytes a name may have, though their temporary names would not without shortening.
    for (const QString& stem : {QString(240, QLatin1Char('a')), QString(80, QChar(0x6620))}) {
        QTemporaryDir folder;
        host = RecordingHost{};
        host.outputFolder = folder.path();
        host.format = OutputFormat::BMP;
        host.items = {Video(stem + ".avi", 3)};
        const auto outcome = Run();
        EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
        ExpectEachFrameWrittenOrReported(outcome, folder.path(), stem, 3, {});
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3);
    }
}

TEST_F(FailingOutputs, NamesBeyondTheFileSystemsLimitAreReportedFrameByFrame)
{
    const QString tooLong = QString(250, QLatin1Char('b'));  // "_0.bmp" makes 256 characters
    host.items = {Video(tooLong + ".avi", 3)};
    const auto outcome = Run();
    EXPECT_EQ(host.reports.size(), 3);
    ExpectEachFrameWrittenOrReported(outcome, output.path(), tooLong, 3, "File name too long");
    EXPECT_TRUE(QDir(output.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(FailingOutputs, DeepAndUnicodeOutputPathsWork)
{
    // An output folder 20 levels deep, over 2000 characters in all, with names outside ASCII.
    QString deep = output.path();
    for (int level = 0; level < 20; ++level)
        deep += QStringLiteral("/出力 ñ 😀 %1 ").arg(level) + QString(90, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_GT(deep.size(), 2000);
    ASSERT_TRUE(QDir(inputs.path()).mkdir("входные данные"));
    const QString video = inputs.filePath("входные данные/vidéo 日本語 😀.avi");
    MakeClip(video, 3);
    host.items = {video};
    host.outputFolder = deep;
    host.format = OutputFormat::JPG;
    const auto outcome = Run();
    EXPECT_TRUE(host.reports.isEmpty()) << host.reports.join('\n').toStdString();
    ExpectEachFrameWrittenOrReported(outcome, deep, "vidéo 日本語 😀", 3, {});
    EXPECT_EQ(QDir(deep).entryList(QDir::Files, QDir::Name),
        (QStringList{"vidéo 日本語 😀_0.jpg", "vidéo 日本語 😀_1.jpg", "vidéo 日本語 😀_2.jpg"}));
}

}  // namespace
