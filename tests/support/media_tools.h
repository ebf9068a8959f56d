#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

// Test failures print texts as text, not as arrays of UTF-16 code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Debian's own Python, which has numpy and Pillow; the first python3 on the path may not.
inline const char* const kPython = "/usr/bin/python3";

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// What a program started by a test gets besides its arguments.
struct ToolSetting {
    QByteArray standardInput;
    QString workingFolder;  // empty: the test's own
    int timeoutMs = 120000;
};

// Runs an outside program to its end (bounded in time) and keeps what it printed.
ToolResult RunTool(const QString& program, const QStringList& arguments, const ToolSetting& setting);
ToolResult RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// Makes a video with the ffmpeg command: `ffmpeg -y -v error ARGS... path`. Throws when ffmpeg fails.
void MakeVideo(const QString& path, const QStringList& arguments);

// The corpus folder of real AVI files, or empty when it is not beside the repository.
QString CorpusFolder();

// A video as the ffmpeg command decodes it on one thread, independently of our code: every picture it
// puts out, in display order, as top-down 24-bit BGR rows without padding, and the positions of the
// stream's packets that decoded (leaving out a chunk the file breaks off in, which is no frame, and
// packets ffmpeg reports a decoding error for, which give no picture).
struct ReferenceVideo {
    int width = 0;
    int height = 0;
    std::int64_t headerFrameCount = 0;
    std::vector<QByteArray> pictures;
    std::vector<std::int64_t> packetPositions;
    std::vector<std::int64_t> failedPositions;  // packets that did not decode

    // The picture that belongs to a position: the k-th picture belongs to the k-th packet's position and a
    // position without a packet shows the picture before it. None before the first picture or past the last packet.
    std::optional<std::size_t> PictureIndexAt(std::int64_t position) const;
};
ReferenceVideo DecodeWithFfmpeg(const QString& path);

// The chunks of a file's first video stream as the file's RIFF structure holds them, read by a script of
// the tests' own that owes nothing to FFmpeg: the stream header's start and length, and the size of each
// whole chunk in file order. No stream: `stream` is -1.
struct VideoChunks {
    int stream = -1;
    std::int64_t start = 0;
    std::int64_t length = 0;
    std::vector<std::int64_t> sizes;
};
VideoChunks ReadVideoChunks(const QString& path);

// Every position a conversion must write, by the file's chunks: chunk i is position start + i, up to the
// header's length; a chunk with data that decodes shows the next of ffmpeg's pictures, an empty or
// undecodable one the picture before it; positions before the first picture have none. Position to
// picture index.
std::map<std::int64_t, std::size_t> ExpectedFramesByChunks(const VideoChunks& chunks, const ReferenceVideo& reference);

// Peak signal-to-noise ratio in dB of two equally long 8-bit buffers; infinity when they are equal.
double Psnr(const QByteArray& a, const QByteArray& b);
