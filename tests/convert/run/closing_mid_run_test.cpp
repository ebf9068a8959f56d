// stillpress-cli stopped in the middle of a run. SIGINT and SIGTERM stop it as the window's Stop
// does: the images being written are finished, their number is printed, "Stopped." ends the messages,
// and the program ends by the signal, as a shell expects of a program it interrupted. A second SIGINT
// ends it at once; so does SIGKILL, which may leave temporary files. None of them leaves a truncated
// file under a final name, and the input is never touched.
#include "support/complete_images.h"
#include "support/input_fingerprints.h"
#include "support/media_tools.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QByteArray kStopping = "Stopping once the images being written are saved; interrupt again to end at once.\n";

class ClosingMidRun : public ::testing::Test {
protected:
    // Starts converting a video of `frames` frames of width x height to PNG, and waits until it has
    // written its first images.
    void Start(int width, int height, int frames, const QStringList& options = {})
    {
        video = inputs.filePath("long.avi");
        MakeVideo(video, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(width).arg(height), "-frames:v",
                             QString::number(frames), "-c:v", "mpeg4", "-q:v", "4"});
        fingerprints.emplace(QStringList{video});
        this->width = width;
        this->height = height;
        this->frames = frames;
        cli.start(QStringLiteral(STILLPRESS_CLI), options + QStringList{"--format", "png", "--output", output.path(), video});
        ASSERT_TRUE(cli.waitForStarted(10000));
        const QDeadlineTimer started(60000);
        while (FinalFiles().isEmpty() && cli.state() == QProcess::Running && !started.hasExpired())
            cli.waitForFinished(20);  // a bounded wait that also notices an early end
        ASSERT_EQ(cli.state(), QProcess::Running) << "the run ended before it could be stopped";
        ASSERT_FALSE(FinalFiles().isEmpty());
    }

    void Signal(int signal) { ASSERT_EQ(::kill(static_cast<pid_t>(cli.processId()), signal), 0); }

    // Waits (bounded) for the program to end; answers how long it took.
    qint64 Ended()
    {
        QElapsedTimer waited;
        waited.start();
        EXPECT_TRUE(cli.waitForFinished(20000));
        return waited.elapsed();
    }

    void ExpectEndedBy(int signal)
    {
        EXPECT_EQ(cli.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(cli.exitCode(), signal);
    }

    QStringList FinalFiles() const { return QDir(output.path()).entryList({"*.png"}, QDir::Files); }

    // Every final name holds a whole image; besides them, temporary files only where they may remain.
    void ExpectNoTruncatedFile(bool temporaryFilesMayRemain)
    {
        EXPECT_LT(FinalFiles().size(), frames) << "the run was not stopped";
        EXPECT_EQ(IncompleteImages(output.path(), "png", width, height), QStringList{});
        for (const QString& name : QDir(output.path()).entryList(QDir::Files)) {
            if (!name.endsWith(".png")) {
                EXPECT_TRUE(temporaryFilesMayRemain && name.endsWith(".partial")) << "left behind: " << name.toStdString();
            }
        }
        EXPECT_EQ(fingerprints->Changed(), QStringList{});
    }

    QTemporaryDir inputs;
    QTemporaryDir output;
    QString video;
    std::optional<InputFingerprints> fingerprints;
    int width = 0;
    int height = 0;
    int frames = 0;
    QProcess cli;
};

class StopSignal : public ClosingMidRun, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignal, FinishesTheImagesBeingWrittenAndEndsByTheSignal)
{
    // Long enough that the run is still busy when the signal comes, whatever the machine.
    ASSERT_NO_FATAL_FAILURE(Start(320, 240, 600));
    Signal(GetParam());
    const qint64 exitMs = Ended();
    EXPECT_LE(exitMs, 1000) << "stillpress-cli took " << exitMs << " ms to end";
    ExpectEndedBy(GetParam());
    EXPECT_EQ(cli.readAllStandardOutput(), QByteArray::number(FinalFiles().size()) + "\n");
    const QByteArray messages = cli.readAllStandardError();
    EXPECT_TRUE(messages.endsWith(kStopping + "Stopped.\n")) << messages.toStdString();
    ExpectNoTruncatedFile(false);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGINT, SIGTERM),
    [](const auto& info) { return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM"); });

TEST_F(ClosingMidRun, ASecondSigintEndsItAtOnce)
{
    // Pictures large enough, on one thread, that finishing the images being written takes a while.
    ASSERT_NO_FATAL_FAILURE(Start(3840, 2160, 40, {"--threads", "1"}));
    Signal(SIGINT);
    QByteArray messages;
    const QDeadlineTimer noticed(20000);
    while (!messages.contains(kStopping) && cli.state() == QProcess::Running && !noticed.hasExpired()) {
        cli.waitForReadyRead(20);
        messages += cli.readAllStandardError();
    }
    ASSERT_TRUE(messages.contains(kStopping)) << messages.toStdString();
    Signal(SIGINT);
    const qint64 exitMs = Ended();
    EXPECT_LE(exitMs, 1000) << "stillpress-cli took " << exitMs << " ms to end";
    ExpectEndedBy(SIGINT);
    EXPECT_TRUE(cli.readAllStandardOutput().isEmpty()) << "it ended as stopped, not at once";
    EXPECT_FALSE((messages + cli.readAllStandardError()).contains("Stopped."));
    ExpectNoTruncatedFile(true);
}

TEST_F(ClosingMidRun, SigkillLeavesNoTruncatedFileUnderAFinalName)
{
    ASSERT_NO_FATAL_FAILURE(Start(320, 240, 600));
    Signal(SIGKILL);
    Ended();
    ExpectEndedBy(SIGKILL);
    ExpectNoTruncatedFile(true);
}

}  // namespace
