// Files that are not videos, or that only name other files, get the file's message with the reason on
// the next line, exit status 1 and nothing written; a file naming others makes nothing else be opened.
#include "cli_fixture.h"

#include "support/bmp_file.h"

#include <QFile>

namespace {

class NotAVideo : public CliTest {
protected:
    QString Text(const QString& name, const QByteArray& content)
    {
        QFile file(inputs.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }
    // Converts one file that cannot be converted; answers the reason printed for it.
    QString ReasonRefused(const QString& file)
    {
        const ToolResult result = Cli({"--format", "bmp", "--output", output.path(), file});
        EXPECT_EQ(result.exitCode, 1) << file.toStdString();
        EXPECT_EQ(result.out, "0\n");
        const QString err = QString::fromUtf8(result.err);
        const QString message = "There was an error working with the file:\n" + file + "\nReason: ";
        EXPECT_TRUE(err.contains(message)) << err.toStdString();
        EXPECT_TRUE(err.contains("Failed to convert to JPG.")) << err.toStdString();
        EXPECT_EQ(Written(), QStringList{});
        const qsizetype at = err.indexOf(message);
        return at < 0 ? QString() : err.mid(at + message.size()).section('\n', 0, 0);
    }
};

TEST_F(NotAVideo, SoundWithACoverPictureAPictureAndTextAreRefusedWithTheirReason)
{
    const QString cover = inputs.filePath("cover.png");
    MakeVideo(cover, {"-f", "lavfi", "-i", "color=blue:size=32x32", "-frames:v", "1"});
    const QString song = inputs.filePath("song.mp3");
    MakeVideo(song, {"-f", "lavfi", "-i", "sine=duration=1", "-i", cover, "-map", "0", "-map", "1", "-c:v", "png",
                        "-disposition:v", "attached_pic", "-id3v2_version", "3"});

    EXPECT_EQ(ReasonRefused(song).toStdString(), "not a video file (its content is MP2/3 (MPEG audio layer 2/3))");
    const QString album = inputs.filePath("album.m4a");
    MakeVideo(album, {"-f", "lavfi", "-i", "sine=duration=1", "-i", cover, "-map", "0", "-map", "1", "-c:a", "aac", "-c:v", "png",
                         "-disposition:v", "attached_pic"});
    EXPECT_EQ(ReasonRefused(album).toStdString(), "no video stream, only a cover picture");
    const QString picture = inputs.filePath("picture.mp4");
    QFile::copy(cover, picture);
    const QString pictureReason = ReasonRefused(picture);
    EXPECT_TRUE(pictureReason.startsWith("not a video file")) << pictureReason.toStdString();
    EXPECT_EQ(ReasonRefused(Text("notes.mp4", "Shopping list\nmilk\neggs\n")).toStdString(), "not a video file");
    EXPECT_EQ(ReasonRefused(inputs.filePath("absent.mkv")).toStdString(), "no such file");
}

// Runs the command under strace; answers every file name it opened.
QStringList FilesOpened(const QStringList& cliArguments, ToolResult& result)
{
    QTemporaryDir traceFolder;
    const QString trace = traceFolder.filePath("trace");
    result = RunTool("strace", QStringList{"-f", "-qq", "-e", "trace=open,openat,openat2", "-o", trace, kCli} + cliArguments);
    QFile file(trace);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList opened;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype from = line.indexOf('"');
        const qsizetype to = line.indexOf('"', from + 1);
        if (from >= 0 && to > from)
            opened << QString::fromUtf8(line.mid(from + 1, to - from - 1));
    }
    return opened;
}

TEST_F(NotAVideo, PlaylistsAndListsNamingOtherFilesOpenNothingElse)
{
    const QString named = Video("named.avi", 3);
    const struct {
        const char* name;
        QByteArray content;
    } disguised[] = {
        {"playlist.avi", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n" + named.toUtf8() + "\n#EXTINF:10,\n/etc/passwd\n#EXT-X-ENDLIST\n"},
        {"playlist.mp4", "#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:1.0,\nfile:" + named.toUtf8() + "\n#EXT-X-ENDLIST\n"},
        {"list.avi", "ffconcat version 1.0\nfile '" + named.toUtf8() + "'\nfile '/etc/passwd'\n"},
        {"list.mp4", "file '" + named.toUtf8() + "'\n"},
    };
    for (const auto& [name, content] : disguised) {
        SCOPED_TRACE(name);
        const QString file = Text(QString::fromLatin1(name), content);
        ToolResult result;
        const QStringList opened = FilesOpened({"--format", "bmp", "--output", output.path(), file}, result);
        ASSERT_TRUE(opened.contains(file)) << "strace saw nothing: " << result.err.toStdString();
        EXPECT_FALSE(opened.contains(named)) << name;
        EXPECT_FALSE(opened.contains("/etc/passwd")) << name;
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.contains(("There was an error working with the file:\n" + file + "\nReason: not a video file").toUtf8()))
            << result.err.toStdString();
        EXPECT_EQ(Written(), QStringList{});
    }
}

TEST_F(NotAVideo, NoRotateKeepsTheStoredOrientation)
{
    const QString stored = inputs.filePath("stored.mp4");
    MakeVideo(stored, {"-f", "lavfi", "-i", "testsrc2=size=96x32:rate=25", "-frames:v", "2", "-c:v", "libx264"});
    const QString turned = inputs.filePath("turned.mp4");
    MakeVideo(turned, {"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90"});

    ASSERT_EQ(Cli({"--format", "bmp", "--output", output.path(), turned}).exitCode, 0);
    const std::optional<BmpImage> upright = ReadBmp(output.filePath("turned_0.bmp"));
    ASSERT_TRUE(upright);
    EXPECT_EQ(std::pair(upright->width, upright->height), std::pair(32, 96));

    QTemporaryDir raw;
    const ToolResult result = Cli({"--no-rotate", "--format", "bmp", "--output", raw.path(), turned});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const std::optional<BmpImage> stored0 = ReadBmp(QDir(raw.path()).filePath("turned_0.bmp"));
    ASSERT_TRUE(stored0);
    EXPECT_EQ(std::pair(stored0->width, stored0->height), std::pair(96, 32));
}

}  // namespace
