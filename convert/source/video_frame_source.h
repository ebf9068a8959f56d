#pragma once

#include "convert/picture/picture_shape.h"
#include "convert/source/decoder_threading.h"
#include "convert/source/picture_index.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class DecodedPicture;

// How pictures are made to look as a player shows them.
struct PictureLook {
    bool upright = true;  // false: as stored, whatever the display matrix says
    bool toneMap = true;  // false: HDR pictures converted by their matrix alone, without tone mapping
    PictureShape shape;   // size, square pixels, deinterlacing
};

// The pictures of one video file, of any container FFmpeg reads, decoded picture by picture: the first
// video stream that is not a cover picture, each picture turned upright by its display matrix and HDR
// pictures tone-mapped to SDR unless told otherwise. Frames are decoded once, in order, without seeking: positions must be asked for in
// increasing order. What a position is depends on the container (see ChunkPositions for AVI,
// PicturePositions for every other).
class VideoFrameSource {
public:
    enum class Status {
        Ok,
        FileError,       // missing, not a video, no video stream, unreadable container
        NoDecompressor,  // no decoder can open the stream
    };

    VideoFrameSource();
    ~VideoFrameSource();
    VideoFrameSource(const VideoFrameSource&) = delete;
    VideoFrameSource& operator=(const VideoFrameSource&) = delete;

    // Decodes on the threads `threads` gives pictures of the stream's size, made to look as `look` says.
    // With `seekIndex` (which must outlive the source and have entry points), stretches of the video can
    // be read (ReadStretch). Throws std::bad_alloc when memory runs out, as every member may.
    Status Open(const QString& path, DecoderThreading threads = {}, PictureLook look = {},
        const PictureIndex* seekIndex = nullptr);
    // Why the last Open failed, in words for a user ("not a video file", "no decoder for ...").
    const QString& FailureReason() const { return failureReason_; }

    std::int32_t StartPosition() const;
    // How many positions the container announces (AVI's header); none when pictures are counted only
    // as they come.
    std::optional<std::int32_t> FrameCount() const;
    // Threads the decoder really works with.
    int DecoderThreads() const;
    // How much of the file has been read so far, from 0 to 1.
    double ReadFraction() const;

    // The picture at `position`, or null when that position has no picture.
    std::shared_ptr<const DecodedPicture> PictureAt(std::int32_t position);
    // True once the last picture has been read: a position that then has no picture is past the last
    // one the file holds, and so is every later one.
    bool Exhausted() const;
    // While no position has had a picture yet: where the first picture belongs, once a request has
    // found it. Every position before it has none, so a caller can skip them at once (an AVI header
    // may number its first chunk far beyond 0).
    std::optional<std::int64_t> FirstPicturePosition() const;

    // Reads on from `entry` (of the seek index) only what the `wanted` positions need (increasing, none
    // before the entry): PictureAt then gives their pictures, in order. False when the file cannot be
    // sought in.
    bool ReadStretch(const PictureIndex::EntryPoint& entry, std::vector<std::int64_t> wanted);
    // Whether what the stretches read broke what the index says (a seek that missed its entry point, a
    // picture out of place, damage): their pictures cannot be trusted.
    bool StretchFailed() const;
    // Whether the decoder has met damage so far.
    bool MetDamage() const;

    // Releases the decoder and the file; the source can then be opened again.
    void Release();

private:
    struct State;
    std::unique_ptr<State> state_;
    QString failureReason_;
};
