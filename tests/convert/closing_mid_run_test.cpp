// stillpress-cli stopped in the middle of a run. SIGTERM and SIGINT end it within a second and leave
// nothing half-written, not even a temporary file; SIGKILL may leave temporary files, but never a
// truncated file under a final name. The input is never touched.
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

constexpr int kStoppedWidth = 320;
constexpr int kStoppedHeight = 240;

struct Stop {
    const char* name;
    int signal;
    bool temporaryFilesMayRemain;
};

class ClosingMidRun : public ::testing::TestWithParam<Stop> {
protected:
    QStringList FinalFiles() const { return QDir(output.path()).entryList({"*.png"}, QDir::Files); }

    QTemporaryDir inputs;
    QTemporaryDir output;
};

TEST_P(ClosingMidRun, LeavesNoTruncatedFileUnderAFinalName)
{
    const Stop& stop = GetParam();
    // Long enough that the run is still busy when the signal comes, whatever the machine.
    const QString video = inputs.filePath("long.avi");
    MakeVideo(video, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kStoppedWidth).arg(kStoppedHeight), "-frames:v",
                         "600", "-c:v", "mpeg4", "-q:v", "4"});
    const InputFingerprints before({video});

    QProcess cli;
    cli.start(QStringLiteral(STILLPRESS_CLI), {"--format", "png", "--output", output.path(), video});
    ASSERT_TRUE(cli.waitForStarted(10000));
    const QDeadlineTimer started(60000);
    while (FinalFiles().size() < 3 && cli.state() == QProcess::Running && !started.hasExpired())
        cli.waitForFinished(20);  // a bounded wait that also notices an early end
    ASSERT_EQ(cli.state(), QProcess::Running) << "the run ended before it could be stopped";
    ASSERT_GE(FinalFiles().size(), 3);

    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ASSERT_EQ(::kill(static_cast<pid_t>(cli.processId()), stop.signal), 0);
    ASSERT_TRUE(cli.waitForFinished(10000));
    const qint64 exitMs = sinceSignal.elapsed();
    if (stop.signal != SIGKILL) {
        EXPECT_LE(exitMs, 1000) << "stillpress-cli took " << exitMs << " ms to end";
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 1);
        EXPECT_TRUE(cli.readAllStandardOutput().isEmpty());
    }

    const QStringList finals = FinalFiles();
    EXPECT_LT(finals.size(), 600) << "the run was not stopped";
    EXPECT_EQ(IncompleteImages(output.path(), "png", kStoppedWidth, kStoppedHeight), QStringList{});
    for (const QString& name : QDir(output.path()).entryList(QDir::Files)) {
        if (!name.endsWith(".png")) {
            EXPECT_TRUE(stop.temporaryFilesMayRemain && name.endsWith(".partial")) << "left behind: " << name.toStdString();
        }
    }
    EXPECT_EQ(before.Changed(), QStringList{});
}

INSTANTIATE_TEST_SUITE_P(Signals, ClosingMidRun,
    ::testing::Values(Stop{"SIGTERM", SIGTERM, false}, Stop{"SIGINT", SIGINT, false}, Stop{"SIGKILL", SIGKILL, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
