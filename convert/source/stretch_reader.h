#pragma once

#include "convert/source/picture_index.h"
#include "convert/source/video_frame_source.h"

#include <QString>

#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class DecodedPicture;

// Stretches of a video, each read from an entry point of its index for the wanted positions it holds,
// on several threads at once (each with a decoder of its own, on one thread, so that damage is told by
// the packet that caused it); handed out in order. A stretch whose reading breaks what the index says
// is handed out as failed, and nothing after it is read.
class StretchReader {
public:
    struct Stretch {
        PictureIndex::EntryPoint entry;
        std::vector<std::int64_t> wanted;  // increasing: the positions decoded
        std::vector<std::int64_t> shown;   // increasing: those of them handed out
    };
    // One stretch's pictures, one per shown position; none when the stretch failed.
    using Pictures = std::optional<std::vector<std::shared_ptr<const DecodedPicture>>>;

    // Cuts `positions` (increasing, none before the first entry point) into stretches, each position
    // decoded with `neighbours` pictures on each side (deinterlacing needs them): a new stretch
    // wherever an entry point lies between two positions to decode, so that seeking there skips
    // everything between them.
    static std::vector<Stretch> StretchesFor(const PictureIndex& index, const std::vector<std::int64_t>& positions, int neighbours = 0);

    // Reads `stretches` of the video at `path` on `threads` threads, as `index` (which must outlive the
    // reader) tells, each picture made to look as `look` says.
    StretchReader(QString path, const PictureIndex& index, std::vector<Stretch> stretches, unsigned threads, PictureLook look);
    ~StretchReader();
    StretchReader(const StretchReader&) = delete;
    StretchReader& operator=(const StretchReader&) = delete;

    // The next stretch's pictures, waiting for them; a failed one ends the reading. Rethrows what a
    // thread threw (std::bad_alloc).
    Pictures Next();
    bool Done() const { return handedOut_ >= stretches_.size(); }

private:
    void Work(std::stop_token stop);
    Pictures Read(VideoFrameSource& source, const Stretch& stretch);

    QString path_;
    const PictureIndex& index_;
    std::vector<Stretch> stretches_;
    PictureLook look_;
    std::size_t lookAhead_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Guarded by mutex_.
    std::size_t nextToRead_ = 0;
    std::size_t handedOut_ = 0;
    std::map<std::size_t, Pictures> read_;
    std::exception_ptr thrown_;
    bool failed_ = false;
    std::optional<VideoFrameSource> ownSource_;  // when no thread could be started

    std::vector<std::jthread> workers_;  // last: stopped and joined before the rest goes
};
