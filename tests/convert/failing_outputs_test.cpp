// Outputs that fail: a folder made read-only mid-run, a full disk, read-only files of the same name,
// very long and Unicode paths. Every frame that cannot be written is reported once, naming its file
// and the cause; the run ends with the right final message; every file under a final name is a
// complete image; the inputs stay as they were.
#include "support/bmp_file.h"
#include "support/complete_images.h"
#include "support/input_fingerprints.h"
#include "support/media_tools.h"
#include "support/recording_host.h"
#include "support/scratch_mount.h"

#include "convert/conversion_run.h"

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

    QTemporaryDir inputs;
    QTemporaryDir output;
    std::optional<ScratchMount> mount;  // declared after the folder it covers, so it goes first
    RecordingHost host;
    std::atomic<bool> converting{false};
};

TEST_F(FailingOutputs, FolderMadeReadOnlyMidRunReportsEveryLaterFrame)
{
    if (const QString why = MountUnavailable(); !why.isEmpty())
        GTEST_SKIP() << "a read-only folder for root needs a mount: " << why.toStdString();
    host.items = {Video("clip.avi", 30)};
    int shown = 0;
    QString why;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Format" && ++shown == 4)
            mount = ScratchMount::ReadOnly(output.path(), why);
    };
    const auto outcome = Run();
    ASSERT_TRUE(mount) << why.toStdString();
    EXPECT_GE(host.reports.size(), 10);
    ExpectEachFrameWrittenOrReported(outcome, output.path(), "clip", 30, "Read-only file system");
}

TEST_F(FailingOutputs, FullDiskReportsEveryFrameThatDidNotFit)
{
    QString why;
    mount = ScratchMount::SmallDisk(output.path(), 128 * 1024, why);
    if (!mount)
        GTEST_SKIP() << "a small disk needs a tmpfs mount: " << why.toStdString();
    host.items = {Video("clip.avi", 30)};
    const auto outcome = Run();
    EXPECT_GE(outcome.framesWritten, 1);
    EXPECT_GE(host.reports.size(), 10);
    ExpectEachFrameWrittenOrReported(outcome, output.path(), "clip", 30, "No space left on device");
    for (const QString& name : QDir(output.path()).entryList(QDir::Files))
        EXPECT_TRUE(name.endsWith(".bmp")) << "left behind: " << name.toStdString();
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
