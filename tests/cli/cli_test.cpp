// stillpress-cli as a script uses it: arguments, exit status, the count on stdout, messages on stderr.
#include "support/media_tools.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kCli = QStringLiteral(STILLPRESS_CLI);

class CliTest : public ::testing::Test {
protected:
    QString Video(const QString& name, int frames)
    {
        const QString path = inputs.filePath(name);
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=80x60:rate=25", "-frames:v", QString::number(frames), "-c:v", "mpeg4"});
        return path;
    }
    QStringList Written() const { return QDir(output.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir inputs;
    QTemporaryDir output;
};

TEST_F(CliTest, WritesTheFramesAndPrintsTheCount)
{
    const ToolResult result = RunTool(kCli, {"--frames", "10", "--format", "bmp", "--output", output.path(), Video("a.avi", 12)});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "10\n");
    EXPECT_TRUE(result.err.contains("Done.")) << result.err.toStdString();
    EXPECT_EQ(Written().size(), 10);
    EXPECT_TRUE(Written().contains("a_9.bmp"));
}

TEST_F(CliTest, AnyNumberOfFramesAndTheDefaultFormat)
{
    const ToolResult result = RunTool(kCli, {"--frames", "3", "--output", output.path(), Video("b.avi", 8)});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "3\n");
    EXPECT_EQ(Written(), (QStringList{"b_0.jpg", "b_1.jpg", "b_2.jpg"}));
}

TEST_F(CliTest, MessagesGoToStderrWordForWordAndFailSetsTheStatus)
{
    const QString missing = inputs.filePath("missing.avi");
    const ToolResult result = RunTool(kCli, {"--format", "bmp", "--output", output.path(), missing, Video("c.avi", 2)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "2\n");
    EXPECT_TRUE(result.err.contains(("There was an error working with the file:\n" + missing).toUtf8())) << result.err.toStdString();

    const ToolResult nothing = RunTool(kCli, {"--output", output.path(), missing});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_TRUE(nothing.err.contains("Failed to convert to JPG.")) << nothing.err.toStdString();

    const ToolResult noFolder = RunTool(kCli, {"--output", output.filePath("gone"), missing});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("Folder does not exist. Please select another folder."));
}

TEST_F(CliTest, BadArgumentsShowUsageWithStatusTwo)
{
    const QStringList bad[] = {{}, {"--format", "webp", "--output", "/tmp", "x.avi"}, {"--quality", "0", "--output", "/tmp"},
        {"--frames", "some", "--output", "/tmp"}, {"--output"}, {"--colour", "red", "--output", "/tmp"}};
    for (const QStringList& arguments : bad) {
        const ToolResult result = RunTool(kCli, arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains("Usage: stillpress-cli")) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

}  // namespace
