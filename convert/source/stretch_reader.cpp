#include "convert/source/stretch_reader.h"

#include "convert/picture/decoded_picture.h"

#include <algorithm>
#include <system_error>

std::vector<StretchReader::Stretch> StretchReader::StretchesFor(
    const PictureIndex& index, const std::vector<std::int64_t>& positions, int neighbours)
{
    std::vector<Stretch> stretches;
    for (const std::int64_t position : positions) {
        const std::int64_t first = std::max(index.firstPosition, position - neighbours);
        const std::int64_t last = std::min(index.EndPosition() - 1, position + neighbours);
        const PictureIndex::EntryPoint* entry = index.EntryPointFor(first);
        if (!entry)
            return {};
        if (stretches.empty() || entry->position > stretches.back().wanted.back())
            stretches.push_back({*entry, {}, {}});
        Stretch& stretch = stretches.back();
        for (std::int64_t decoded = std::max(first, stretch.wanted.empty() ? first : stretch.wanted.back() + 1); decoded <= last; ++decoded)
            stretch.wanted.push_back(decoded);
        stretch.shown.push_back(position);
    }
    return stretches;
}

StretchReader::StretchReader(QString path, const PictureIndex& index, std::vector<Stretch> stretches, unsigned threads, PictureLook look)
    : path_(std::move(path)), index_(index), stretches_(std::move(stretches)), look_(look), lookAhead_(std::max(1u, threads) + 1)
{
    workers_.reserve(threads);
    try {
        for (unsigned i = 0; i < std::max(1u, threads); ++i)
            workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
    } catch (const std::system_error&) {
        // Fewer threads than asked for; with none at all, Next tells the caller to read otherwise.
    }
}

StretchReader::~StretchReader()
{
    for (std::jthread& worker : workers_)
        worker.request_stop();
    changed_.notify_all();
}

void StretchReader::Fail(std::size_t stretch)
{
    {
        std::lock_guard lock(mutex_);
        slots_[stretch].failed = true;
        failedAt_ = std::min(failedAt_, stretch);
    }
    changed_.notify_all();
}

bool StretchReader::Hand(std::size_t stretch, std::shared_ptr<const DecodedPicture> picture, std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    Slot& slot = slots_[stretch];
    // The stretch being handed out may always hold one picture, so the taker never waits on the others.
    if (!changed_.wait(lock, stop, [&] {
            return stretch > failedAt_ || bytesAhead_ < kMostBytesAhead || (stretch == handingOut_ && slot.pictures.empty());
        }))
        return false;
    if (stretch > failedAt_)
        return false;
    bytesAhead_ += picture->Bytes();
    slot.pictures.push_back(std::move(picture));
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool StretchReader::Read(VideoFrameSource& source, std::size_t stretch, std::stop_token stop)
{
    if (!source.ReadStretch(stretches_[stretch].entry, stretches_[stretch].wanted))
        return false;
    for (const std::int64_t position : stretches_[stretch].shown) {
        std::shared_ptr<const DecodedPicture> picture = source.PictureAt(static_cast<std::int32_t>(position));
        if (!picture || source.StretchFailed() || !Hand(stretch, std::move(picture), stop))
            return false;
    }
    return true;
}

void StretchReader::Work(std::stop_token stop)
{
    std::optional<VideoFrameSource> source;
    while (true) {
        std::size_t mine = 0;
        {
            std::unique_lock lock(mutex_);
            // Reading runs a few stretches ahead of the taker, no more.
            if (!changed_.wait(lock, stop, [&] { return nextToRead_ >= std::min(stretches_.size(), failedAt_) || nextToRead_ < handingOut_ + lookAhead_; }))
                return;
            if (nextToRead_ >= std::min(stretches_.size(), failedAt_))
                return;
            mine = nextToRead_++;
            slots_[mine];
        }
        bool read = false;
        try {
            if (!source) {
                source.emplace();
                if (source->Open(path_, DecoderThreading{1}, look_, &index_) != VideoFrameSource::Status::Ok)
                    source.reset();
            }
            read = source && Read(*source, mine, stop);
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!thrown_)
                thrown_ = std::current_exception();
        }
        if (stop.stop_requested())
            return;
        if (!read) {
            Fail(mine);
            return;
        }
        {
            std::lock_guard lock(mutex_);
            slots_[mine].complete = true;
        }
        changed_.notify_all();
    }
}

std::shared_ptr<const DecodedPicture> StretchReader::Next()
{
    if (workers_.empty())
        return nullptr;  // no thread could be started
    std::unique_lock lock(mutex_);
    while (handingOut_ < stretches_.size()) {
        Slot& slot = slots_[handingOut_];
        changed_.wait(lock, [&] { return thrown_ || !slot.pictures.empty() || slot.complete || slot.failed; });
        if (thrown_)
            std::rethrow_exception(thrown_);
        if (!slot.pictures.empty()) {
            std::shared_ptr<const DecodedPicture> picture = std::move(slot.pictures.front());
            slot.pictures.pop_front();
            bytesAhead_ -= picture->Bytes();
            lock.unlock();
            changed_.notify_all();
            return picture;
        }
        if (slot.failed)
            break;
        slots_.erase(handingOut_++);
        changed_.notify_all();
    }
    handingOut_ = stretches_.size();
    return nullptr;
}
