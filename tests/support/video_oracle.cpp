#include "video_oracle.h"

#include "bmp_file.h"
#include "media_tools.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

QString VideoCorpusFolder()
{
    const QString folder = QStringLiteral(STILLPRESS_VIDEO_CORPUS_DIR);
    return QFileInfo(folder).isDir() ? QDir(folder).absolutePath() : QString();
}

namespace {

QStringList Digests(const QString& video, bool upright, const QString& filters, bool oneThread)
{
    QStringList arguments{"-nostdin", "-v", "error"};
    if (oneThread)
        arguments << "-threads" << "1";
    if (!upright)
        arguments << "-noautorotate";
    arguments << "-i" << video << "-map" << "0:V:0" << "-fps_mode" << "passthrough" << "-autoscale" << "0";
    if (!filters.isEmpty())
        arguments << "-vf" << filters;
    arguments << "-pix_fmt" << "bgr24" << "-f" << "framemd5" << "-";
    const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"), arguments);
    if (decoded.exitCode != 0)
        throw std::runtime_error("ffmpeg could not decode " + video.toStdString() + ": " + decoded.err.toStdString());
    // Lines "stream, dts, pts, duration, size, md5" after the comment lines.
    QStringList digests;
    for (const QByteArray& line : decoded.out.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        digests << QString::fromLatin1(line.split(',').last().trimmed());
    }
    return digests;
}

}  // namespace

QStringList FfmpegPictureDigests(const QString& video, bool upright, const QString& filters)
{
    return Digests(video, upright, filters, false);
}

QStringList FfmpegPictureDigestsOnOneThread(const QString& video)
{
    return Digests(video, true, {}, true);
}

int FfprobePictureCount(const QString& video)
{
    const ToolResult probed = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "V:0", "-count_frames",
                                                                     "-show_entries", "stream=nb_read_frames", "-of", "default=nw=1:nk=1", video});
    bool ok = false;
    // A transport stream's program lists the stream once more.
    const int count = QString::fromLatin1(probed.out).section('\n', 0, 0).toInt(&ok);
    if (probed.exitCode != 0 || !ok)
        throw std::runtime_error("ffprobe could not count the pictures of " + video.toStdString());
    return count;
}

void ExpectPicturesMatchFfmpeg(const QString& video, const QString& folder, bool upright, const QString& filters)
{
    ExpectPicturesMatchDigests(video, folder, FfmpegPictureDigests(video, upright, filters));
}

void ExpectPicturesMatchDigests(const QString& video, const QString& folder, const QStringList& expected)
{
    const QString stem = QFileInfo(video).completeBaseName();
    QStringList expectedNames;
    for (int k = 0; k < expected.size(); ++k)
        expectedNames << QStringLiteral("%1_%2.bmp").arg(stem).arg(k);
    QStringList written = QDir(folder).entryList(QDir::Files);
    std::sort(expectedNames.begin(), expectedNames.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expectedNames) << video.toStdString();

    for (int k = 0; k < expected.size(); ++k) {
        const QString file = QDir(folder).filePath(QStringLiteral("%1_%2.bmp").arg(stem).arg(k));
        const std::optional<BmpImage> image = ReadBmp(file);
        if (!image) {
            ADD_FAILURE() << "no bitmap " << file.toStdString();
            continue;
        }
        const QString digest = QString::fromLatin1(QCryptographicHash::hash(image->topDownBgr, QCryptographicHash::Md5).toHex());
        EXPECT_EQ(digest, expected[k]) << file.toStdString() << " (" << image->width << "x" << image->height << ")";
    }
}

void ExpectPicturesNearFfmpeg(const QString& video, const QString& folder, const QString& filters, int largest, double withinOne)
{
    const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", video, "-map", "0:V:0", "-fps_mode",
        "passthrough", "-autoscale", "0", "-vf", filters, "-pix_fmt", "bgr24", "-f", "rawvideo", "-"});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    const QString stem = QFileInfo(video).completeBaseName();
    qsizetype at = 0;
    std::int64_t pixels = 0;
    std::int64_t nearby = 0;
    int worst = 0;
    for (int k = 0;; ++k) {
        const std::optional<BmpImage> image = ReadBmp(QDir(folder).filePath(QStringLiteral("%1_%2.bmp").arg(stem).arg(k)));
        if (!image)
            break;
        const QByteArray expected = decoded.out.mid(at, image->topDownBgr.size());
        at += image->topDownBgr.size();
        ASSERT_EQ(expected.size(), image->topDownBgr.size()) << "ffmpeg made fewer pictures than " << k + 1;
        for (qsizetype i = 0; i < expected.size(); i += 3) {
            int difference = 0;
            for (int c = 0; c < 3; ++c)
                difference = std::max(difference, std::abs(int(static_cast<unsigned char>(expected[i + c]))
                                                             - int(static_cast<unsigned char>(image->topDownBgr[i + c]))));
            worst = std::max(worst, difference);
            nearby += difference <= 1;
            ++pixels;
        }
    }
    EXPECT_EQ(at, decoded.out.size()) << "the run wrote fewer pictures than ffmpeg";
    ASSERT_GT(pixels, 0);
    EXPECT_LE(worst, largest) << video.toStdString();
    EXPECT_GE(double(nearby) / double(pixels), withinOne) << video.toStdString();
}
