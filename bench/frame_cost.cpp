// What the frames of one video cost this machine, measured through the program's own frame source
// and writers, for the benchmark's bound:
//   - decoding alone, every position in order with the decoder threads a run gives it (wall and CPU),
//     and how long the first picture takes to come out: no encoder can start before it;
//   - making each frame's file from those pictures, one frame at a time on one thread (CPU of that
//     thread, writing included, into a scratch folder that keeps every file until the end, as a run
//     does: a file removed at once is never written back and costs the kernel far less). The folder is
//     made in --scratch, which should be on the file system the run writes to: tmpfs costs far less
//     than a disk.
// Prints one JSON object. Usage: frame_cost --format FORMAT [--quality Q] [--threads N] [--scratch DIR] VIDEO
#include "convert/source/video_frame_source.h"
#include "convert/picture/decoded_picture.h"
#include "convert/run/frame_writer.h"
#include "convert/writers/output_format.h"
#include "convert/run/thread_budget.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <optional>

namespace {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Calls `each` with every picture of the video, position by position as a run asks for them; the
// number of positions with a picture, or none when the video cannot be opened.
std::optional<int> ForEachPicture(const QString& video, const ThreadBudget& budget,
    const std::function<void(const DecodedPicture&, std::int32_t)>& each)
{
    VideoFrameSource source;
    if (source.Open(video, budget.Decoding()) != VideoFrameSource::Status::Ok)
        return std::nullopt;
    int pictures = 0;
    const std::int32_t end = source.FrameCount().value_or(std::numeric_limits<std::int32_t>::max());
    for (std::int32_t position = source.StartPosition(); position < end; ++position) {
        const std::shared_ptr<const DecodedPicture> picture = source.PictureAt(position);
        if (!picture) {
            if (source.Exhausted())
                break;
            continue;
        }
        each(*picture, position);
        ++pictures;
    }
    return pictures;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    const QStringList arguments = application.arguments().mid(1);
    std::optional<OutputFormat> format;
    int quality = 85;
    unsigned threads = 0;
    QString scratchIn = QDir::tempPath();
    QString video;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (argument == QLatin1String("--format") && ++i)
            format = OutputFormatFromName(value);
        else if (argument == QLatin1String("--quality") && ++i)
            quality = value.toInt();
        else if (argument == QLatin1String("--threads") && ++i)
            threads = value.toUInt();
        else if (argument == QLatin1String("--scratch") && ++i)
            scratchIn = value;
        else
            video = argument;
    }
    if (!format || video.isEmpty()) {
        std::fprintf(stderr, "usage: frame_cost --format FORMAT [--quality Q] [--threads N] [--scratch DIR] VIDEO\n");
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = ProcessCpuSeconds();
    std::optional<double> firstPictureWall;
    const std::optional<int> decoded = ForEachPicture(video, ThreadBudgetFor(threads), [&](const DecodedPicture&, std::int32_t) {
        if (!firstPictureWall)
            firstPictureWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    const double decodeCpu = ProcessCpuSeconds() - cpuBefore;
    const double decodeWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!decoded) {
        std::fprintf(stderr, "frame_cost: cannot open %s\n", qPrintable(video));
        return 1;
    }

    QTemporaryDir scratch(QDir(scratchIn).filePath(QStringLiteral("frame_cost-XXXXXX")));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "frame_cost: cannot make a folder in %s\n", qPrintable(scratchIn));
        return 1;
    }
    double encodeCpu = 0;
    ForEachPicture(video, ThreadBudgetFor(1), [&](const DecodedPicture& picture, std::int32_t position) {
        const QString path = scratch.filePath(QStringLiteral("frame_%1.%2").arg(position).arg(ExtensionOf(*format)));
        const double before = ThreadCpuSeconds();
        WriteFrame(picture, *format, quality, path);
        encodeCpu += ThreadCpuSeconds() - before;
    });
    std::printf("{\"frames\": %d, \"decode_wall_s\": %.4f, \"decode_cpu_s\": %.4f, \"encode_cpu_s\": %.4f, "
                "\"first_picture_s\": %.4f}\n", *decoded, decodeWall, decodeCpu, encodeCpu, firstPictureWall.value_or(0.0));
    return 0;
}
