#pragma once

#include "convert/source/frame_selection.h"
#include "convert/source/picture_index.h"
#include "convert/source/stretch_reader.h"
#include "convert/source/video_frame_source.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DecodedPicture;

// The frames a selection takes from one video, exactly the pictures a decode from its start gives at
// those positions, read as cheaply as the file allows. Three steps kept apart: the index of what the
// file holds (its packets where they prove the pictures, else a decode of it all; AVI's chunks), the
// plan of which positions the selection takes (PlanSelection), and the reading: stretches from entry
// points on several threads where the plan is sparse and the index has them, else one decode from
// the start. A stretch that breaks what the index says sends the reading back to a decode from the
// start, so no picture ever comes under another's position.
class SelectedFrames {
public:
    struct Frame {
        std::int64_t position = 0;
        std::shared_ptr<const DecodedPicture> picture;  // null: an AVI position the file does not hold
        std::int64_t time = 0;                          // in ticks of timeBase
        AVRational timeBase{1, 1};
        bool key = false;
    };
    // How the frames are read, for those who measure it.
    enum class Reading { FromStart, Stretches };

    SelectedFrames();
    ~SelectedFrames();
    SelectedFrames(const SelectedFrames&) = delete;
    SelectedFrames& operator=(const SelectedFrames&) = delete;

    // Opens the video at `path`, indexes it and plans `selection`: decoding from the start on the
    // threads `threads` gives, stretches on `stretchThreads` threads at once. Throws std::bad_alloc.
    VideoFrameSource::Status Open(const QString& path, DecoderThreading threads, unsigned stretchThreads,
        PictureLook look, const FrameSelection& selection);
    const QString& FailureReason() const { return failureReason_; }

    // How many frames the plan takes; keeps only the first `most` of them. Before the first Next.
    std::int64_t Count() const { return static_cast<std::int64_t>(plan_.size()); }
    void KeepFirst(std::int64_t most);
    // Leaves out the planned frames `unwanted` answers true for; answers how many. Before the first Next.
    std::int64_t Drop(const std::function<bool(std::int64_t position)>& unwanted);
    // The video's last position, as far as its index tells.
    std::int64_t LastPosition() const { return index_.EndPosition() - 1; }

    // The next planned frame, in position order; none once the plan is done or the file has ended
    // (an AVI shorter than its header says). Throws std::bad_alloc.
    std::optional<Frame> Next();
    // Whether the index came from the packets (or chunks) alone, and how the frames are being read.
    bool IndexedByPackets() const { return indexedByPackets_; }
    Reading ReadingUsed() const { return reading_; }

private:
    bool ReadsInStretches() const;
    // The pictures each side of a chosen one that must be decoded with it: deinterlacing takes them.
    int Neighbours() const { return look_.shape.deinterlace ? 1 : 0; }
    Frame FrameAt(std::int64_t position, std::shared_ptr<const DecodedPicture> picture) const;
    std::optional<Frame> NextFromStart();

    QString path_;
    DecoderThreading threads_;
    unsigned stretchThreads_ = 1;
    PictureLook look_;
    QString failureReason_;
    PictureIndex index_;
    bool indexedByPackets_ = false;
    std::vector<std::int64_t> plan_;
    std::size_t next_ = 0;
    Reading reading_ = Reading::FromStart;
    bool started_ = false;

    std::unique_ptr<StretchReader> stretches_;
    std::unique_ptr<VideoFrameSource> fromStart_;
};
