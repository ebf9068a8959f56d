#include "convert/source/video_file.h"

#include "convert/picture/memory_shortage.h"
#include "convert/picture/picture_limits.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/error.h>
}

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

// The readers of containers and streams that hold a whole video in the one file. Readers that follow
// names written inside a file (playlists, concat lists, manifests, image sequences) are left out: a
// "video" must never show other files, such as /etc/passwd behind a playlist named .avi. Still images
// are no videos either.
constexpr std::array kVideoReaders = {"avi", "mov", "matroska", "mpegts", "mpeg", "mpegvideo", "asf", "flv", "ogg",
    "mxf", "dv", "nut", "rm", "wtv", "ivf", "h264", "hevc", "m4v", "obu", "vc1", "h263", "yuv4mpegpipe", "gxf"};
constexpr char kVideoReaderList[] =
    "avi,mov,matroska,mpegts,mpeg,mpegvideo,asf,flv,ogg,mxf,dv,nut,rm,wtv,ivf,h264,hevc,m4v,obu,vc1,h263,yuv4mpegpipe,gxf";

// A reader's name lists the kinds it reads, separated by commas ("mov,mp4,m4a,3gp,3g2,mj2").
bool IsVideoReader(const AVInputFormat& reader)
{
    const QList<QByteArray> kinds = QByteArray(reader.name).split(',');
    for (const char* allowed : kVideoReaders) {
        if (kinds.contains(QByteArray(allowed)))
            return true;
    }
    return false;
}

// Whatever a reader asks to open besides the file is refused.
int RefuseOtherFiles(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**)
{
    return AVERROR(EPERM);
}

QString ErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromUtf8(text);
}

DictionaryPtr Options(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : pairs) {
        if (av_dict_set(&options, key, value, 0) < 0) {
            av_dict_free(&options);
            throw std::bad_alloc();
        }
    }
    return DictionaryPtr(options);
}

// The first video stream that is not a cover picture; -1 when there is none.
int FirstVideoStream(const AVFormatContext& format)
{
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC))
            return static_cast<int>(i);
    }
    return -1;
}

bool HasCoverPicture(const AVFormatContext& format)
{
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (format.streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return true;
    }
    return false;
}

}  // namespace

VideoFile::~VideoFile() = default;

std::unique_ptr<VideoFile> VideoFile::Open(const QString& path, QString& reason)
{
    // Only regular files: a folder is no video, and a pipe or a device would block the open or never end.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        reason = QStringLiteral("no such file");
        return nullptr;
    }
    if (!info.isFile()) {
        reason = QStringLiteral("not a regular file");
        return nullptr;
    }

    auto video = std::make_unique<VideoFile>(Opening{});
    video->path_ = path;
    // A name is always a local file, whatever it looks like ("take2:cut.avi", "http:x.avi"): the file
    // protocol takes the name after "file:" as it is, in UTF-8, and no other protocol may be reached.
    const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
    {
        DictionaryPtr options = Options({{"protocol_whitelist", "file"}});
        AVDictionary* raw = options.release();
        AVIOContext* io = nullptr;
        const int opened = avio_open2(&io, url.constData(), AVIO_FLAG_READ, nullptr, &raw);
        options.reset(raw);
        ThrowIfOutOfMemory(opened);
        if (opened < 0) {
            reason = QStringLiteral("the file cannot be read: ") + ErrorText(opened);
            return nullptr;
        }
        video->io_.reset(io);
    }
    video->size_ = avio_size(video->io_.get());

    const AVInputFormat* reader = nullptr;
    // The content alone says what the file is: without a name, no reader gets a say for its extension.
    const int probed = av_probe_input_buffer2(video->io_.get(), &reader, "", nullptr, 0, 0);
    ThrowIfOutOfMemory(probed);
    if (probed < 0 || !reader || !IsVideoReader(*reader)) {
        reason = reader ? QStringLiteral("not a video file (its content is %1)").arg(QString::fromUtf8(reader->long_name))
                        : QStringLiteral("not a video file");
        return nullptr;
    }

    AVFormatContext* format = avformat_alloc_context();
    if (!format)
        throw std::bad_alloc();
    format->pb = video->io_.get();
    format->io_open = RefuseOtherFiles;
    {
        // The readers' own options that could reach other files stay at their defaults (off); the list
        // of readers is checked again by FFmpeg itself.
        DictionaryPtr options = Options({{"format_whitelist", kVideoReaderList}});
        AVDictionary* raw = options.release();
        const int opened = avformat_open_input(&format, url.constData(), reader, &raw);  // frees `format` on failure
        options.reset(raw);
        ThrowIfOutOfMemory(opened);
        if (opened < 0) {
            reason = QStringLiteral("damaged %1 file: %2").arg(QString::fromUtf8(reader->name).section(',', 0, 0), ErrorText(opened));
            return nullptr;
        }
        video->format_.reset(format);
    }
    video->numbersChunks_ = std::strcmp(reader->name, "avi") == 0;
    // AVI headers say all there is to know, and its positions are its chunks as the reader finds them.
    // Other containers may learn their streams only from the packets (MPEG program streams, FLV), or
    // lack what the decoder is set up with, as the ffmpeg command finds it by reading a little ahead.
    if (!video->numbersChunks_) {
        const int found = avformat_find_stream_info(video->format_.get(), nullptr);
        ThrowIfOutOfMemory(found);
        if (found < 0) {
            reason = QStringLiteral("damaged file: ") + ErrorText(found);
            return nullptr;
        }
    }

    video->streamIndex_ = FirstVideoStream(*video->format_);
    if (video->streamIndex_ < 0) {
        reason = HasCoverPicture(*video->format_) ? QStringLiteral("no video stream, only a cover picture")
                                                   : QStringLiteral("no video stream");
        return nullptr;
    }
    // A header that claims an absurd picture is damaged; one that says nothing leaves it to the pictures.
    const AVCodecParameters& announced = *video->Stream().codecpar;
    if (!PictureLimits::Admits(announced.width, announced.height)) {
        reason = QStringLiteral("damaged file: its header announces pictures of %1x%2").arg(announced.width).arg(announced.height);
        return nullptr;
    }
    for (unsigned i = 0; i < video->format_->nb_streams; ++i) {
        if (static_cast<int>(i) != video->streamIndex_)
            video->format_->streams[i]->discard = AVDISCARD_ALL;
    }
    return video;
}

double VideoFile::ReadFraction() const
{
    if (size_ <= 0)
        return 0.0;
    const std::int64_t at = avio_tell(io_.get());
    return at <= 0 ? 0.0 : std::min(1.0, static_cast<double>(at) / static_cast<double>(size_));
}
