#pragma once

#include "convert/source/picture_index.h"
#include "convert/source/video_frame_source.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class DecodedPicture;

// Stretches of a video, each read from an entry point of its index for the wanted positions it holds,
// on several threads at once (each with a decoder of its own, on one thread, so that damage is told by
// the packet that caused it); their pictures handed out one by one, in order. A stretch whose reading
// breaks what the index says ends the reading where it broke, and nothing after it is read.
//
// The pictures read ahead of the taker are bounded by their bytes, so that a dense selection in long
// groups of pictures (every frame of a range of 4K video) does not hold whole groups in memory.
class StretchReader {
public:
    struct Stretch {
        PictureIndex::EntryPoint entry;
        std::vector<std::int64_t> wanted;  // increasing: the positions decoded
        std::vector<std::int64_t> shown;   // increasing: those of them handed out
    };

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

    // The picture of the next shown position, waiting for it; none when the reading broke there (and
    // from then on). Rethrows what a thread threw (std::bad_alloc).
    std::shared_ptr<const DecodedPicture> Next();

private:
    struct Slot {
        std::deque<std::shared_ptr<const DecodedPicture>> pictures;
        bool complete = false;
        bool failed = false;
    };
    static constexpr std::size_t kMostBytesAhead = std::size_t{64} << 20;

    void Work(std::stop_token stop);
    bool Read(VideoFrameSource& source, std::size_t stretch, std::stop_token stop);
    bool Hand(std::size_t stretch, std::shared_ptr<const DecodedPicture> picture, std::stop_token stop);
    void Fail(std::size_t stretch);

    QString path_;
    const PictureIndex& index_;
    std::vector<Stretch> stretches_;
    PictureLook look_;
    std::size_t lookAhead_;

    std::mutex mutex_;
    std::condition_variable_any changed_;
    // Guarded by mutex_.
    std::size_t nextToRead_ = 0;
    std::size_t handingOut_ = 0;  // the stretch whose pictures Next hands out
    std::size_t failedAt_ = SIZE_MAX;  // the first stretch that failed
    std::map<std::size_t, Slot> slots_;
    std::size_t bytesAhead_ = 0;
    std::exception_ptr thrown_;

    std::vector<std::jthread> workers_;  // last: stopped and joined before the rest goes
};
