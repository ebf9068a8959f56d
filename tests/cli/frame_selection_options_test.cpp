// Which frames through stillpress-cli: the images of a rule are byte for byte those of the same
// frames in a run of every frame, and --index keeps one CSV row per image that Python's csv module
// reads back whole, names with a comma, a quote or a line break included, also when two runs append
// to the same index at once.
#include "cli_fixture.h"

#include <QFile>
#include <QProcess>

namespace {

TEST_F(CliTest, ARuleWritesTheImagesOfEveryFrameAtItsPositions)
{
    const QString video = inputs.filePath("b.mp4");
    MakeVideo(video, {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25", "-frames:v", "100", "-c:v", "libx264", "-g", "25", "-bf", "2"});
    QTemporaryDir every;
    ASSERT_EQ(Cli({"--format", "bmp", "--output", every.path(), video}).exitCode, 0);
    const ToolResult chosen = Cli({"--format", "bmp", "--interval", "0.7", "--from", "0.3", "--output", output.path(), video});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err.toStdString();
    EXPECT_EQ(chosen.out, "6\n");
    // 0.3, 1.0, 1.7, 2.4, 3.1 and 3.8 seconds at 25 frames a second, in the order of names.
    const QStringList names{"b_25.bmp", "b_43.bmp", "b_60.bmp", "b_78.bmp", "b_8.bmp", "b_95.bmp"};
    EXPECT_EQ(Written(), names);
    for (const QString& name : names) {
        QFile mine(output.filePath(name)), all(QDir(every.path()).filePath(name));
        ASSERT_TRUE(mine.open(QIODevice::ReadOnly) && all.open(QIODevice::ReadOnly));
        EXPECT_TRUE(mine.readAll() == all.readAll()) << name.toStdString();
    }
}

TEST_F(CliTest, PicturesAreShapedAsAsked)
{
    const QString video = Video("wide.avi", 3, "160x90");
    const ToolResult run = Cli({"--format", "bmp", "--size", "x45", "--pad=3", "--folder-per-video", "--output", output.path(), video});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(output.filePath("wide")).entryList(QDir::Files), (QStringList{"wide_000.bmp", "wide_001.bmp", "wide_002.bmp"}));
    const ToolResult probed = RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=width,height", "-of", "csv=p=0",
                                                     output.filePath("wide/wide_002.bmp")});
    EXPECT_EQ(probed.out.trimmed(), "80,45");
}

TEST_F(CliTest, TheIndexHasARowPerImageThatCsvReadsBackWhole)
{
    const QString awkward = Video("a, \"quoted\"\nline.avi", 12);
    const QString plain = Video("plain.avi", 9);
    const QString index = inputs.filePath("index.csv");
    // Two runs at once, into one index.
    QProcess first, second;
    first.start(kCli, {"--every", "2", "--index", index, "--output", output.path(), awkward});
    second.start(kCli, {"--keyframes", "--index", index, "--output", output.path(), plain});
    ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
    ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    ASSERT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const char* reader = R"(
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
print(rows[0] == ['image', 'video', 'position', 'time_s', 'key_frame'], len(rows))
for row in sorted(rows[1:], key=lambda r: (r[1], int(r[2]))):
    print(len(row), row[1].endswith('line.avi'), row[2], row[3], row[4], row[0] == sys.argv[2] + '/' + row[0].split('/')[-1])
)";
    const ToolResult read = RunTool(QLatin1String(kPython), {"-c", reader, index, output.path()});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    // 25 frames a second: every second frame of 12, and the one key frame of 9 (an MPEG-4 part 2 of
    // the default group of 12 pictures).
    EXPECT_EQ(read.out, "True 8\n"
                        "5 True 0 0.000000 1 True\n5 True 2 0.080000 0 True\n5 True 4 0.160000 0 True\n"
                        "5 True 6 0.240000 0 True\n5 True 8 0.320000 0 True\n5 True 10 0.400000 0 True\n"
                        "5 False 0 0.000000 1 True\n");
}

}  // namespace
