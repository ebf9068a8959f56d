// --files-from: lists of paths from a file or standard input, one a line or NUL-separated, so that
// `find -print0` can hand over any name.
#include "cli_fixture.h"

#include <QFile>

namespace {

const QByteArray kFileError = "There was an error working with the file:\n";

class FileListTest : public CliTest {
protected:
    QString List(const QByteArray& contents)
    {
        const QString path = inputs.filePath("list.txt");
        QFile list(path);
        EXPECT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(contents);
        return path;
    }
};

TEST_F(FileListTest, ListedPathsAreConvertedAfterTheNamedOnesAndBadEntriesAreReported)
{
    const QString named = Video("named/clip.avi", 2);
    const QByteArray spaced = Video("with  two spaces .avi", 3).toUtf8();
    const QByteArray colon = Video("take2:cut.avi", 4).toUtf8();
    const QByteArray dash = Video("-dash.avi", 1).toUtf8();
    const QByteArray sameStem = Video("listed/clip.avi", 5).toUtf8();
    const QByteArray missing = inputs.filePath("missing.avi").toUtf8();
    const QByteArray folder = inputs.filePath("named").toUtf8();
    // Empty lines, a Windows line end and an entry that is no video, between good ones.
    const QString list = List("\n" + spaced + "\r\n\n" + missing + "\n" + colon + "\n" + folder + "\n\n" + dash + "\n" + sameStem);

    const ToolResult result = Cli({"--format", "bmp", "--files-from", list, "--output", output.path(), named});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "15\n");
    EXPECT_TRUE(result.err.contains(kFileError + missing + "\n")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(kFileError + folder + "\n")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Done."));
    // The named video comes first, so the listed one of the same stem is the second "clip".
    const QMap<QString, int> expected{{"clip", 2}, {"with  two spaces ", 3}, {"take2:cut", 4}, {"-dash", 1}, {"clip (2)", 5}};
    EXPECT_EQ(FramesPerStem(), expected);
}

TEST_F(FileListTest, FindPrintZeroHandsOverAnyName)
{
    const QMap<QString, int> expected{{"two\nlines", 2}, {"tab\tand \"quotes\" 'too'", 3}, {"back\\slash", 1}, {"café 日本", 2},
        {" leading blank", 1}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        Video("tree/" + it.key() + ".avi", it.value());
    // As a user types it: find's NUL-separated list on standard input.
    const ToolResult result = RunTool("sh", {"-c", "find \"$1\" -name '*.avi' -print0 | \"$0\" --null --files-from - --format bmp --output \"$2\"",
                                                kCli, inputs.filePath("tree"), output.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "9\n");
    EXPECT_EQ(FramesPerStem(), expected);
}

TEST_F(FileListTest, NulSeparatedListsKeepLineEndsAndSkipEmptyEntries)
{
    const QByteArray newline = Video("ends with a line end\n.avi", 2).toUtf8();
    const QByteArray carriage = Video("ends with a carriage return\r.avi", 3).toUtf8();
    const ToolSetting onStdin{QByteArray("\0", 1) + newline + QByteArray("\0\0", 2) + carriage + QByteArray("\0", 1), {}};
    const ToolResult result = Cli({"--null", "--format=bmp", "--output", output.path(), "--files-from=-"}, onStdin);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, "5\n");
    const QMap<QString, int> expected{{"ends with a line end\n", 2}, {"ends with a carriage return\r", 3}};
    EXPECT_EQ(FramesPerStem(), expected);
}

TEST_F(FileListTest, SeveralListsAreReadInTurn)
{
    const QString first = List(Video("one.avi", 1).toUtf8());
    const QString second = inputs.filePath("second.txt");
    QFile::copy(first, second);
    QFile::remove(first);
    const QString third = List(Video("one/one.avi", 2).toUtf8() + "\n");
    const ToolResult result = Cli({"--format", "bmp", "--files-from", second, "--files-from", third, "--output", output.path()});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QMap<QString, int> expected{{"one", 1}, {"one (2)", 2}};
    EXPECT_EQ(FramesPerStem(), expected);
}

TEST_F(FileListTest, AListThatCannotBeReadStopsEverythingBeforeAnyConversion)
{
    const QString video = Video("f.avi", 2);
    const QString good = List(video.toUtf8());
    for (const QString& unreadable : {inputs.filePath("no such list.txt"), inputs.path()}) {
        const ToolResult result = Cli({"--files-from", good, "--files-from", unreadable, "--output", output.path(), video});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.startsWith(("stillpress-cli: --files-from " + unreadable + ": ").toUtf8())) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("\nUsage: stillpress-cli"));
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(Written(), QStringList{});
}

TEST_F(FileListTest, AnEmptyListIsARunWithoutFiles)
{
    const ToolResult result = Cli({"--files-from", List("\n\n\r\n"), "--output", output.path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "0\n");
    EXPECT_TRUE(result.err.contains("No files added.")) << result.err.toStdString();
}

}  // namespace
