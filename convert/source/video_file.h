#pragma once

#include "convert/source/stream_handles.h"

#include <QString>

#include <cstdint>
#include <memory>

// One video file opened for reading, and nothing but that file: its container is found from its
// content, among the kinds that keep a whole video in one file, and its stream is the one whose
// pictures are taken (the first video stream that is not a cover picture).
class VideoFile {
public:
    // Opens `path`; on failure answers null and says why in `reason`, in words for a user. Throws
    // std::bad_alloc when memory runs out.
    static std::unique_ptr<VideoFile> Open(const QString& path, QString& reason);

    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    const QString& Path() const { return path_; }
    AVFormatContext& Format() const { return *format_; }
    const AVStream& Stream() const { return *format_->streams[streamIndex_]; }
    int StreamIndex() const { return streamIndex_; }
    // True for AVI, whose positions are the stream's chunks.
    bool NumbersChunks() const { return numbersChunks_; }
    // How much of the file has been read, from 0 to 1.
    double ReadFraction() const;

private:
    struct Opening {};  // only Open makes one

public:
    explicit VideoFile(Opening) {}

private:

    QString path_;
    // The file is read through a context of our own, and the container's reader may open nothing else.
    IoContextPtr io_;
    FormatContextPtr format_;  // declared after io_: closed first, since it reads through it
    int streamIndex_ = -1;
    bool numbersChunks_ = false;
    std::int64_t size_ = 0;
};
