// The run's checks, messages, progress texts, names and failure handling, driven through its host interface.
#include "support/avi_patch.h"
#include "support/input_fingerprints.h"
#include "support/media_tools.h"
#include "support/recording_host.h"

#include "common/error_report.h"
#include "common/failure.h"
#include "convert/run/conversion_run.h"
#include "convert/run/frame_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kFileError = QStringLiteral("There was an error working with the file:\r\n");

class ConversionRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        output = std::make_unique<QTemporaryDir>();
        host.outputFolder = output->path();
    }

    // A 25-frame MJPEG video under `name` in the inputs folder.
    QString Video(const QString& name, int frames = 25)
    {
        const QString path = inputs.filePath(name);
        if (!QFile::exists(path))
            MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25", "-frames:v", QString::number(frames), "-c:v", "mjpeg", "-f", "avi"});
        return path;
    }

    // Every run must leave its inputs as they were.
    ConversionRun::Outcome Run()
    {
        const InputFingerprints before(host.items);
        const ConversionRun::Outcome outcome = ConversionRun::Execute(host, converting);
        EXPECT_EQ(before.Changed(), QStringList{});
        return outcome;
    }
    QStringList Written() const { return QDir(output->path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir inputs;
    std::unique_ptr<QTemporaryDir> output;
    RecordingHost host;
    std::atomic<bool> converting{false};
};

// A selection's bar counts the images it will write, within the frame-count choice; a video none of
// whose frames it takes is remarked on and is no failure.
TEST_F(ConversionRunTest, SelectionsCountTheirImagesAndTakingNoneIsNoFailure)
{
    host.items = {Video("clip.avi")};
    host.selection.rule = FrameSelection::Rule::EveryNth;
    host.selection.count = 4;
    EXPECT_EQ(Run().framesWritten, 7);
    EXPECT_EQ(Written(), (QStringList{"clip_0.bmp", "clip_12.bmp", "clip_16.bmp", "clip_20.bmp", "clip_24.bmp", "clip_4.bmp", "clip_8.bmp"}));
    EXPECT_EQ(host.frames.mid(0, 7), (QStringList{"Frames Processed: 1 of 7 frame(s)", "Frames Processed: 2 of 7 frame(s)",
        "Frames Processed: 3 of 7 frame(s)", "Frames Processed: 4 of 7 frame(s)", "Frames Processed: 5 of 7 frame(s)",
        "Frames Processed: 6 of 7 frame(s)", "Frames Processed: 7 of 7 frame(s)"}));

    output = std::make_unique<QTemporaryDir>();
    host.outputFolder = output->path();
    host.frames.clear();
    host.selection.count = 2;
    host.frameChoice = FrameLimit::Choices()[1];  // the first 10 of the 13 chosen
    EXPECT_EQ(Run().framesWritten, 10);
    EXPECT_EQ(host.frames.value(9), QStringLiteral("Frames Processed: 10 of 10 frame(s)"));
    EXPECT_TRUE(QFile::exists(output->filePath("clip_18.bmp")));
    EXPECT_FALSE(QFile::exists(output->filePath("clip_20.bmp")));

    host.messages.clear();
    host.selection.from = Seconds{2'000'000'000};  // after the last of its 25 frames at 25 a second
    auto outcome = Run();
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_EQ(outcome.filesWithoutChosenFrames, 1);
    EXPECT_EQ(outcome.failuresShown, 0);
    EXPECT_EQ(host.remarks, QStringList{"No frame of this video is among those chosen."});
    EXPECT_EQ(host.messages.value(host.messages.size() - 1), QStringLiteral("No frame is among those chosen."));
    host.items << Video("long.avi", 60);
    outcome = Run();
    EXPECT_EQ(outcome.framesWritten, 5);  // 2 s to 2.36 s of long.avi, every second frame
    EXPECT_EQ(host.messages.value(host.messages.size() - 1), QStringLiteral("Done.\r\n1 video has no frame among those chosen."));
}

// Images filed as asked: a folder per video, with " (2)" for a second of the same stem; a folder that
// cannot be made fails that video alone; padded positions; images there already kept byte for byte,
// and what a killed run left removed while a running one's is not.
TEST_F(ConversionRunTest, ImagesAreFiledAndKeptAsAsked)
{
    QDir(inputs.path()).mkpath("a");
    QDir(inputs.path()).mkpath("b");
    MakeVideo(inputs.filePath("a/clip.avi"), {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=25", "-frames:v", "12", "-c:v", "mjpeg"});
    QFile::copy(inputs.filePath("a/clip.avi"), inputs.filePath("b/clip.avi"));
    host.items = {inputs.filePath("a/clip.avi"), inputs.filePath("b/clip.avi")};
    host.naming.folderPerVideo = true;
    host.naming.padWidth = 0;
    EXPECT_EQ(Run().framesWritten, 24);
    EXPECT_EQ(QDir(output->filePath("clip")).entryList(QDir::Files).value(0), QStringLiteral("clip_00.bmp"));
    EXPECT_EQ(QDir(output->filePath("clip (2)")).entryList(QDir::Files).value(11), QStringLiteral("clip (2)_11.bmp"));

    output = std::make_unique<QTemporaryDir>();
    host.outputFolder = output->path();
    QFile blocking(output->filePath("clip"));
    ASSERT_TRUE(blocking.open(QIODevice::WriteOnly));
    blocking.close();
    host.naming.padWidth = 4;
    host.messages.clear();
    const auto outcome = Run();
    EXPECT_EQ(outcome.framesWritten, 12);
    EXPECT_EQ(host.messages.value(0), kFileError + host.items[0]);
    EXPECT_TRUE(host.reasons.value(0).contains("a file of that name is there")) << host.reasons.value(0).toStdString();
    EXPECT_TRUE(QFile::exists(output->filePath("clip (2)/clip (2)_0007.bmp")));

    // Kept: an image there already, byte for byte; replaced: a temporary file of a process long gone.
    output = std::make_unique<QTemporaryDir>();
    host.outputFolder = output->path();
    host.items = {host.items[0]};
    host.naming = ImageNaming{};
    host.naming.keepExisting = true;
    for (const char* name : {"clip_3.bmp", "clip_5.bmp.99999999-0.partial", "clip_6.bmp.1-0.partial"}) {
        QFile file(output->filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not an image");
    }
    host.messages.clear();
    EXPECT_EQ(Run().framesWritten, 11);
    QFile kept(output->filePath("clip_3.bmp"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not an image"));
    EXPECT_EQ(host.messages.value(host.messages.size() - 1), QStringLiteral("Done.\r\n11 written, 1 kept."));
    EXPECT_EQ(host.frames.filter("kept").value(0), QStringLiteral("Frames Processed: 1 of 11 frame(s), 1 kept"));
    EXPECT_FALSE(QFile::exists(output->filePath("clip_5.bmp.99999999-0.partial")));
    EXPECT_TRUE(QFile::exists(output->filePath("clip_6.bmp.1-0.partial")));  // process 1 runs: init
}

TEST_F(ConversionRunTest, EmptyListSaysSoAndNothingElse)
{
    const auto outcome = Run();
    EXPECT_EQ(host.messages, QStringList{"No files added."});
    EXPECT_EQ(host.busyChanges, 0);
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_FALSE(converting);
}

TEST_F(ConversionRunTest, MissingOutputFolderSaysSoBeforeAnyWork)
{
    host.items = {Video("clip.avi")};
    host.outputFolder = output->filePath("gone");
    Run();
    EXPECT_EQ(host.messages, QStringList{"Folder does not exist. Please select another folder."});
    EXPECT_TRUE(host.files.isEmpty());
    EXPECT_FALSE(converting);
}

TEST_F(ConversionRunTest, TenOfTwentyFiveFramesAreTheFirstTenWithProgressTexts)
{
    host.items = {Video("clip.avi")};
    host.frameChoice = "Save every 10 frames in AVI as JPG";
    const auto outcome = Run();

    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("clip_%1.bmp").arg(i);
    expected.sort();
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(outcome.framesWritten, 10);
    EXPECT_EQ(host.frames.size(), 11);
    EXPECT_EQ(host.frames.first(), "Frames Processed: 1 of 10 frame(s)");
    EXPECT_EQ(host.frames.value(9), "Frames Processed: 10 of 10 frame(s)");
    EXPECT_EQ(host.files, (QStringList{"Processing: clip.avi", "Progress Bar 1"}));
    EXPECT_EQ(host.frames.last(), "Progress Bar 2");
    EXPECT_EQ(host.filesValue, 0);
    EXPECT_EQ(host.framesValue, 0);
    EXPECT_EQ(host.messages, QStringList{"Done."});
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.prompts.isEmpty());
    EXPECT_GE(host.previewsShown, 1);
}

TEST_F(ConversionRunTest, XPromptAnswersSetTheLimit)
{
    struct Case {
        std::optional<QString> answer;
        int frames;
    };
    const Case cases[] = {{std::nullopt, 0}, {"", 0}, {"abc", 0}, {"0", 0}, {"-4", 0}, {"2.5", 2}, {"3.5", 4},
        {" 3 ", 3}, {"1e1", 10}, {"400", 25}};
    const QString video = Video("clip.avi");
    for (const Case& c : cases) {
        SetUp();
        host = RecordingHost{};
        host.outputFolder = output->path();
        host.items = {video};
        host.frameChoice = FrameLimit::kEveryX;
        host.xAnswer = c.answer;
        const auto outcome = Run();
        const QString label = c.answer.value_or("<cancel>");
        EXPECT_EQ(host.prompts, QStringList{"Enter x:|Enter x|10"}) << label.toStdString();
        EXPECT_EQ(outcome.framesWritten, c.frames) << label.toStdString();
        EXPECT_EQ(Written().size(), c.frames) << label.toStdString();
        EXPECT_EQ(host.messages.last(), c.frames ? "Done." : "Failed to convert to JPG.") << label.toStdString();
    }
}

TEST_F(ConversionRunTest, BrokenInputsNeverCrashOrHang)
{
    // Each: how the file is made, and the message the run shows for it (empty: only the final one).
    const QString zeroBytes = inputs.filePath("zero.avi");
    QFile(zeroBytes).open(QIODevice::WriteOnly);
    const QString randomBytes = inputs.filePath("random.avi");
    {
        QFile file(randomBytes);
        file.open(QIODevice::WriteOnly);
        std::uint32_t state = 12345;
        QByteArray noise(200000, Qt::Uninitialized);
        for (char& c : noise)
            c = char((state = state * 1664525u + 1013904223u) >> 24);
        file.write("RIFF");
        file.write(noise);
    }
    const QString folder = inputs.filePath("folder.avi");
    QDir(inputs.path()).mkdir("folder.avi");
    // A still image is no video, whatever its name.
    const QString notAvi = inputs.filePath("movie.avi");
    MakeVideo(inputs.filePath("still.png"), {"-f", "lavfi", "-i", "testsrc2=size=64x48", "-frames:v", "1"});
    QFile::rename(inputs.filePath("still.png"), notAvi);
    const QString audioOnly = inputs.filePath("audio.avi");
    MakeVideo(audioOnly, {"-f", "lavfi", "-i", "sine=duration=0.5", "-c:a", "pcm_s16le"});
    const QString missing = inputs.filePath("missing.avi");
    const QString throughAFile = notAvi + "/inner.avi";

    host.items = {zeroBytes, randomBytes, folder, notAvi, audioOnly, missing, throughAFile};
    const auto outcome = Run();
    EXPECT_EQ(host.messages, (QStringList{kFileError + zeroBytes, kFileError + randomBytes, kFileError + folder,
                                 kFileError + notAvi, kFileError + audioOnly, kFileError + missing,
                                 kFileError + throughAFile, "Failed to convert to JPG."}));
    EXPECT_EQ(host.files.value(5), "Processing: missing.avi");
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_TRUE(Written().isEmpty());
}

TEST_F(ConversionRunTest, StreamWithoutDecoderSaysSoOnce)
{
    const QString video = Video("unknown.avi", 3);
    AviPatch patch(video);
    patch.ReplaceFourcc("MJPG", "QZQZ");
    patch.Save();
    host.items = {video};
    Run();
    EXPECT_EQ(host.messages, (QStringList{"No suitable decompressor found for this video stream", "Failed to convert to JPG."}));
}

TEST_F(ConversionRunTest, StemsDropOnlyTheLastExtensionAndNeverCollide)
{
    QDir(inputs.path()).mkdir("other");
    const QString first = Video("clip.avi", 2);
    const QString second = inputs.filePath("other/clip.avi");
    QFile::copy(first, second);
    host.items = {first, second, first, Video("clip.part1.avi", 1), Video("noext", 1)};
    Run();
    EXPECT_EQ(Written(), (QStringList{"clip (2)_0.bmp", "clip (2)_1.bmp", "clip (3)_0.bmp", "clip (3)_1.bmp",
                             "clip.part1_0.bmp", "clip_0.bmp", "clip_1.bmp", "noext_0.bmp"}));
}

TEST_F(ConversionRunTest, FailingStatementIsReportedWithItsLabelAndTheRunGoesOn)
{
    host.items = {Video("clip.avi", 3)};
    int failures = 1;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Quality" && failures-- > 0)
            throw Failure(13, "Type mismatch");
    };
    const auto outcome = Run();
    EXPECT_EQ(host.reports, QStringList{ErrorReport::Compose("Type mismatch", ErrorReport::kConversionRun, 254)});
    EXPECT_EQ(host.reports.value(0),
        "Type mismatch\r\nin FRAMEVIS2021/08/31.Form1.PushButton2_Click at line 254\r\r"
        "Please email screenshot of this message to support@stillpress.org");
    EXPECT_EQ(outcome.framesWritten, 3);
    EXPECT_EQ(host.messages, QStringList{"Done."});
}

TEST_F(ConversionRunTest, FrameThatCannotBeWrittenIsReportedOnceAndNotCounted)
{
    host.items = {Video("clip.avi", 5)};
    QDir(output->path()).mkdir("clip_3.bmp");  // the name is taken by a folder
    const auto outcome = Run();
    ASSERT_EQ(host.reports.size(), 1);
    EXPECT_TRUE(host.reports[0].startsWith("Cannot save the image. ")) << host.reports[0].toStdString();
    EXPECT_TRUE(host.reports[0].contains(output->filePath("clip_3.bmp"))) << host.reports[0].toStdString();
    EXPECT_TRUE(host.reports[0].contains("at line 246"));
    EXPECT_EQ(outcome.framesWritten, 4);
    EXPECT_EQ(Written(), (QStringList{"clip_0.bmp", "clip_1.bmp", "clip_2.bmp", "clip_4.bmp"}));
    EXPECT_EQ(host.messages, QStringList{"Done."});
}

TEST_F(ConversionRunTest, OutputFolderMovedAwayMidRunIsReportedOnceAndEndsTheRun)
{
    host.items = {Video("clip.avi", 12), Video("later.avi", 3)};
    int frames = 0;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Format" && ++frames == 4)
            QDir().rename(output->path(), output->path() + "-gone");
    };
    const auto outcome = Run();
    QDir(output->path() + "-gone").removeRecursively();
    // Frames already with an encoder when the folder went may still have been written; none after.
    EXPECT_LE(outcome.framesWritten, 3);
    ASSERT_EQ(host.reports.size(), 1) << host.reports.join('\n').toStdString();
    EXPECT_TRUE(host.reports[0].contains(".bmp: No such file or directory\r\n")) << host.reports[0].toStdString();
    EXPECT_EQ(host.messages, QStringList{"The run did not finish: images cannot be saved in the output folder."});
    EXPECT_FALSE(host.files.contains("Processing: later.avi"));
    EXPECT_FALSE(QDir(output->path()).exists());
}

TEST_F(ConversionRunTest, SecondRunWhileOneIsInProgressDoesNothing)
{
    converting = true;
    host.items = {Video("clip.avi", 2)};
    const auto outcome = Run();
    EXPECT_FALSE(outcome.started);
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_TRUE(Written().isEmpty());
}

TEST_F(ConversionRunTest, StopLeavesNoPartialFilesAndShowsNothing)
{
    host.items = {Video("clip.avi", 25), Video("more.avi", 25)};
    int frames = 0;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Format")
            host.stop = ++frames >= 5;
    };
    Run();
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_LT(Written().size(), 25);  // stopped within the first video
    for (const QString& name : QDir(output->path()).entryList(QDir::Files))
        EXPECT_TRUE(name.endsWith(".bmp")) << name.toStdString();
    EXPECT_FALSE(converting);
}

}  // namespace
