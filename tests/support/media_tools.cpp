#include "media_tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// True when the file ends inside the chunk whose data starts at `position` and of which `size` bytes
// were read: the chunk's header, just before its data, declares more.
bool ChunkBreaksOff(QFile& file, qint64 position, qint64 size)
{
    if (position < 4 || !file.seek(position - 4))
        return false;
    const QByteArray declared = file.read(4);
    return declared.size() == 4 && qFromLittleEndian<quint32>(declared.constData()) > size;
}

}  // namespace

ToolResult RunTool(const QString& program, const QStringList& arguments, const ToolSetting& setting)
{
    QProcess process;
    process.setWorkingDirectory(setting.workingFolder);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted(10000))
        return result;
    process.write(setting.standardInput);
    process.closeWriteChannel();
    if (!process.waitForFinished(setting.timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ToolResult RunTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    return RunTool(program, arguments, ToolSetting{{}, {}, timeoutMs});
}

void MakeVideo(const QString& path, const QStringList& arguments)
{
    const ToolResult made = RunTool(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error"} + arguments + QStringList{path});
    if (made.exitCode != 0)
        throw std::runtime_error("ffmpeg could not make " + path.toStdString() + ": " + made.err.toStdString());
}

QString CorpusFolder()
{
    const QString folder = QStringLiteral(STILLPRESS_CORPUS_DIR);
    return QFileInfo(folder).isDir() ? QDir(folder).absolutePath() : QString();
}

std::optional<std::size_t> ReferenceVideo::PictureIndexAt(std::int64_t position) const
{
    const std::size_t usable = std::min(pictures.size(), packetPositions.size());
    if (usable == 0 || packetPositions.empty() || position > packetPositions.back())
        return std::nullopt;
    std::optional<std::size_t> found;
    for (std::size_t k = 0; k < usable && packetPositions[k] <= position; ++k)
        found = k;
    return found;
}

ReferenceVideo DecodeWithFfmpeg(const QString& path)
{
    ReferenceVideo video;
    const ToolResult stream = RunTool(QStringLiteral("ffprobe"),
        {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height,nb_frames", "-of",
            "default=noprint_wrappers=1", path});
    for (const QByteArray& line : stream.out.split('\n')) {
        const QList<QByteArray> pair = line.trimmed().split('=');
        if (pair.size() != 2)
            continue;
        if (pair[0] == "width")
            video.width = pair[1].toInt();
        else if (pair[0] == "height")
            video.height = pair[1].toInt();
        else if (pair[0] == "nb_frames")
            video.headerFrameCount = pair[1].toLongLong();
    }
    // One thread, so that a decoding error follows the packet it belongs to in ffmpeg's log.
    const ToolResult frames = RunTool(QStringLiteral("ffmpeg"),
        {"-nostdin", "-v", "info", "-debug_ts", "-threads", "1", "-i", path, "-map", "0:v:0", "-vsync", "passthrough",
            "-f", "rawvideo", "-pix_fmt", "bgr24", "-"});
    // The pictures carry their own size, whatever the header says: ffmpeg writes every picture at the
    // first one's, which it names in its output stream's line.
    const QString log = QString::fromUtf8(frames.err);
    const QRegularExpressionMatch output =
        QRegularExpression(QStringLiteral("Output #0.*?Video: rawvideo.*?, (\\d+)x(\\d+)"), QRegularExpression::DotMatchesEverythingOption)
            .match(log);
    if (output.hasMatch()) {
        video.width = output.captured(1).toInt();
        video.height = output.captured(2).toInt();
    }
    if (video.width <= 0 || video.height <= 0)
        return video;
    const qsizetype size = qsizetype(video.width) * video.height * 3;
    for (qsizetype offset = 0; offset + size <= frames.out.size(); offset += size)
        video.pictures.push_back(frames.out.mid(offset, size));
    std::optional<std::int64_t> sent;
    for (const QByteArray& line : frames.err.split('\n')) {
        if (line.startsWith("demuxer+ffmpeg -> ") && line.contains(" type:video ")) {
            const qsizetype at = line.indexOf(" pkt_dts:") + 9;
            sent = line.mid(at, line.indexOf(' ', at) - at).toLongLong();
        } else if (line.startsWith("Error while decoding stream") && sent) {
            video.failedPositions.push_back(*sent);
        }
    }

    const ToolResult packets = RunTool(QStringLiteral("ffprobe"),
        {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=dts,size,pos", "-of", "csv=p=0", path});
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    for (const QByteArray& line : packets.out.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() < 3 || fields[0] == "N/A" || fields[1].toLongLong() <= 0
            || ChunkBreaksOff(file, fields[2].toLongLong(), fields[1].toLongLong()))
            continue;
        const std::int64_t position = fields[0].toLongLong();
        if (std::find(video.failedPositions.begin(), video.failedPositions.end(), position) == video.failedPositions.end())
            video.packetPositions.push_back(position);
    }
    return video;
}

VideoChunks ReadVideoChunks(const QString& path)
{
    VideoChunks chunks;
    const ToolResult listed = RunTool(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(STILLPRESS_TEST_SCRIPTS "/avi_chunks.py"), path});
    const QList<QByteArray> lines = listed.out.split('\n');
    if (listed.exitCode != 0 || lines.isEmpty())
        return chunks;
    const QList<QByteArray> header = lines[0].split(' ');  // stream N start S length L
    if (header.size() != 6)
        return chunks;
    chunks.stream = header[1].toInt();
    chunks.start = header[3].toLongLong();
    chunks.length = header[5].toLongLong();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        if (fields.size() == 2)
            chunks.sizes.push_back(fields[1].toLongLong());
    }
    return chunks;
}

std::map<std::int64_t, std::size_t> ExpectedFramesByChunks(const VideoChunks& chunks, const ReferenceVideo& reference)
{
    std::map<std::int64_t, std::size_t> expected;
    std::optional<std::size_t> shown;
    std::size_t nextPicture = 0;
    const auto held = std::min<std::int64_t>(static_cast<std::int64_t>(chunks.sizes.size()), chunks.length);
    for (std::int64_t i = 0; i < held; ++i) {
        const std::int64_t position = chunks.start + i;
        const bool failed = std::find(reference.failedPositions.begin(), reference.failedPositions.end(), position)
            != reference.failedPositions.end();
        if (chunks.sizes[std::size_t(i)] > 0 && !failed && nextPicture < reference.pictures.size())
            shown = nextPicture++;
        if (shown)
            expected[position] = *shown;
    }
    return expected;
}

double Psnr(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size() || a.isEmpty())
        return 0.0;
    double squares = 0.0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const double d = double(static_cast<unsigned char>(a[i])) - double(static_cast<unsigned char>(b[i]));
        squares += d * d;
    }
    if (squares == 0.0)
        return std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(255.0 * 255.0 * double(a.size()) / squares);
}
