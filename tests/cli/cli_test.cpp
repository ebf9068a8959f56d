// stillpress-cli as a script uses it: arguments, exit status, the count on stdout, messages on stderr.
#include "cli_fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace {

TEST_F(CliTest, WritesTheFramesAndPrintsTheCount)
{
    const ToolResult result = Cli({"--frames", "10", "--format", "bmp", "--output", output.path(), Video("a.avi", 12)});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "10\n");
    EXPECT_TRUE(result.err.contains("Done.")) << result.err.toStdString();
    EXPECT_EQ(Written().size(), 10);
    EXPECT_TRUE(Written().contains("a_9.bmp"));
}

TEST_F(CliTest, AnyNumberOfFramesAndTheDefaultFormat)
{
    const ToolResult result = Cli({"--frames", "3", "--output", output.path(), Video("b.avi", 8)});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "3\n");
    EXPECT_EQ(Written(), (QStringList{"b_0.jpg", "b_1.jpg", "b_2.jpg"}));
}

TEST_F(CliTest, ValuesJoinedWithAnEqualsSignWorkAsSeparateOnes)
{
    const ToolResult result = Cli({"--frames=2", "--format=png", "--quality=50", "--threads=2", "--output=" + output.path(), Video("b.avi", 8)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "2\n");
    EXPECT_EQ(Written(), (QStringList{"b_0.png", "b_1.png"}));
}

TEST_F(CliTest, NamesBeginningWithADashComeAfterTheDoubleDash)
{
    const QString video = Video("-dash.avi", 2);
    const ToolSetting inInputs{{}, inputs.path()};
    const ToolResult asOption = Cli({"--format", "bmp", "--output", output.path(), "-dash.avi"}, inInputs);
    EXPECT_EQ(asOption.exitCode, 2);
    EXPECT_TRUE(asOption.err.startsWith("stillpress-cli: unknown option -dash.avi\n")) << asOption.err.toStdString();

    const ToolResult asName = Cli({"--format", "bmp", "--output", output.path(), "--", "-dash.avi", "--format"}, inInputs);
    EXPECT_EQ(asName.exitCode, 1);  // "--format" after the double dash is a file, and there is none of that name
    EXPECT_EQ(asName.out, "2\n");
    EXPECT_TRUE(asName.err.contains("There was an error working with the file:\n--format")) << asName.err.toStdString();
    EXPECT_EQ(Written(), (QStringList{"-dash_0.bmp", "-dash_1.bmp"}));
}

TEST_F(CliTest, MessagesGoToStderrWordForWordAndFailSetsTheStatus)
{
    const QString missing = inputs.filePath("missing.avi");
    const ToolResult result = Cli({"--format", "bmp", "--output", output.path(), missing, Video("c.avi", 2)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "2\n");
    EXPECT_TRUE(result.err.contains(("There was an error working with the file:\n" + missing).toUtf8())) << result.err.toStdString();

    const ToolResult nothing = Cli({"--output", output.path(), missing});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_TRUE(nothing.err.contains("Failed to convert to JPG.")) << nothing.err.toStdString();

    const ToolResult noFolder = Cli({"--output", output.filePath("gone"), missing});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("Folder does not exist. Please select another folder."));
}

TEST_F(CliTest, BadArgumentsAreNamedWithTheUsageAndStatusTwoAndNothingIsConverted)
{
    const QString video = Video("d.avi", 2);
    const QString out = output.path();
    const struct {
        QStringList arguments;
        const char* named;
    } bad[] = {
        {{video}, "--output"},
        {{"--output"}, "--output"},
        {{"--output=", video}, "--output"},
        {{"--format", "webp", "--output", out, video}, "--format"},
        {{"--quality", "0", "--output", out, video}, "--quality"},
        {{"--quality=101", "--output", out, video}, "--quality"},
        {{"--frames", "some", "--output", out, video}, "--frames"},
        {{"--threads", "0", "--output", out, video}, "--threads"},
        {{"--threads=257", "--output", out, video}, "--threads"},
        {{"--threads", "two", "--output", out, video}, "--threads"},
        {{"--colour", "red", "--output", out, video}, "--colour"},
        {{"--colour=red", "--output", out, video}, "--colour"},
        {{"-x", "--output", out, video}, "-x"},
        {{"--null=1", "--output", out, video}, "--null"},
        {{"--help=yes", "--output", out, video}, "--help"},
        {{"--output", out, video, "--files-from"}, "--files-from"},
        {{"--every", "0", "--output", out, video}, "--every"},
        {{"--spread=-3", "--output", out, video}, "--spread"},
        {{"--every", "2.5", "--output", out, video}, "--every"},
        {{"--interval", "0", "--output", out, video}, "--interval"},
        {{"--interval", "-1", "--output", out, video}, "--interval"},
        {{"--interval", "1e3", "--output", out, video}, "--interval"},
        {{"--every", "2", "--interval", "1", "--output", out, video}, "--interval cannot be given with --every"},
        {{"--keyframes", "--spread", "3", "--output", out, video}, "--spread cannot be given with --keyframes"},
        {{"--from", "1:75", "--output", out, video}, "--from"},
        {{"--to", "soon", "--output", out, video}, "--to"},
        {{"--from", "1:00", "--to", "59.9", "--output", out, video}, "--to must come after --from"},
        {{"--from", "2", "--to", "2.0", "--output", out, video}, "--to must come after --from"},
        {{"--index", out + "/no such folder/index.csv", "--output", out, video}, "--index"},
        {{"--size", "0x10", "--output", out, video}, "--size"},
        {{"--size=-5x", "--output", out, video}, "--size"},
        {{"--size", "x", "--output", out, video}, "--size"},
        {{"--size", "640*480", "--output", out, video}, "--size"},
        {{"--size", "20000x", "--output", out, video}, "--size"},
        {{"--size", "640x", "--size", "320x", "--output", out, video}, "--size is given twice"},
        {{"--pad=0", "--output", out, video}, "--pad"},
        {{"--pad=10", "--output", out, video}, "--pad"},
        {{"--pad=x", "--output", out, video}, "--pad"},
        {{"--pad", "--pad=4", "--output", out, video}, "--pad is given twice"},
        {{"--skip-existing=yes", "--output", out, video}, "--skip-existing"},
    };
    for (const auto& [arguments, named] : bad) {
        const std::string call = arguments.join(' ').toStdString();
        const ToolResult result = Cli(arguments);
        EXPECT_EQ(result.exitCode, 2) << call;
        const QByteArray firstLine = result.err.left(result.err.indexOf('\n'));
        EXPECT_TRUE(firstLine.startsWith("stillpress-cli: ") && firstLine.contains(named)) << call << ": " << firstLine.toStdString();
        EXPECT_TRUE(result.err.contains("\nUsage: stillpress-cli")) << call;
        EXPECT_TRUE(result.out.isEmpty()) << call;
    }
    EXPECT_EQ(Written(), QStringList{});
}

TEST_F(CliTest, HelpAndVersionGoToStdoutWithStatusZeroAndConvertNothing)
{
    for (const char* help : {"--help", "-h"}) {
        const ToolResult result = Cli({"--frames", "10", help, "--output", output.path(), Video("e.avi", 2), "--bogus"});
        EXPECT_EQ(result.exitCode, 0) << help;
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        EXPECT_TRUE(result.out.startsWith("Usage: stillpress-cli")) << result.out.toStdString();
        for (const char* option : {"--output", "--frames", "--format", "--quality", "--threads", "--files-from", "--null", "--help",
                 "-h,", "--version"})
            EXPECT_TRUE(result.out.contains(option)) << option;
        // Each exit status with its meaning.
        const qsizetype statuses = result.out.indexOf("Exit status:");
        ASSERT_GE(statuses, 0);
        const QByteArray table = result.out.mid(statuses);
        EXPECT_TRUE(table.contains("0  every file was converted"));
        EXPECT_TRUE(table.contains("1  a file or a frame could not be converted"));
        EXPECT_TRUE(table.contains("2  the arguments were wrong"));
        EXPECT_TRUE(table.contains("130  stopped by SIGINT"));
        EXPECT_TRUE(table.contains("143  stopped by SIGTERM"));
    }
    const ToolResult version = Cli({"--version", "--bogus"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "stillpress-cli " STILLPRESS_VERSION "\n");
    EXPECT_TRUE(version.err.isEmpty());
    EXPECT_EQ(Written(), QStringList{});
}

// The threads of a process once a stop signal has taken hold, from /proc; 0 when it does not stop (it
// has ended, say).
int ThreadsOnceStopped(qint64 pid)
{
    const QDeadlineTimer deadline(10000);
    do {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        bool stopped = false;
        int threads = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("State:"))
                stopped = line.contains("stopped");
            else if (line.startsWith("Threads:"))
                threads = line.mid(8).trimmed().toInt();
        }
        if (stopped)
            return threads;
        QThread::msleep(5);  // the signal is delivered asynchronously
    } while (!deadline.hasExpired());
    return 0;
}

// The threads stillpress-cli has once it writes its first image, with --threads `threads`.
int ThreadsAtWork(const QString& video, const QString& folder, int threads)
{
    QProcess cli;
    cli.start(kCli, {"--format", "gif", "--threads", QString::number(threads), "--output", folder, video});
    if (!cli.waitForStarted(10000))
        return 0;
    const QDeadlineTimer deadline(60000);
    while (QDir(folder).isEmpty() && cli.state() == QProcess::Running && !deadline.hasExpired())
        cli.waitForFinished(10);  // a bounded wait that also notices an early end
    ::kill(static_cast<pid_t>(cli.processId()), SIGSTOP);
    const int counted = ThreadsOnceStopped(cli.processId());
    cli.kill();
    cli.waitForFinished(10000);
    return counted;
}

TEST_F(CliTest, ThreadsSetHowManyFramesAreEncodedAtOnce)
{
    // GIF frames take long to encode, so the run is still at work when it is looked at.
    const QString video = Video("long.avi", 300, QStringLiteral("320x240"));
    QTemporaryDir one;
    QTemporaryDir five;
    const int withOne = ThreadsAtWork(video, one.path(), 1);
    const int withFive = ThreadsAtWork(video, five.path(), 5);
    ASSERT_GT(withOne, 0) << "the run ended before it could be looked at";
    ASSERT_GT(withFive, 0) << "the run ended before it could be looked at";
    // Everything else (the decoder's threads, the program's own) is the same in both runs.
    EXPECT_EQ(withFive - withOne, 4);
}

}  // namespace
