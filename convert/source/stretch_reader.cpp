#include "convert/source/stretch_reader.h"

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
        // Fewer threads than asked for; with none at all, Next reads on the caller's thread.
    }
}

StretchReader::~StretchReader()
{
    for (std::jthread& worker : workers_)
        worker.request_stop();
    changed_.notify_all();
}

StretchReader::Pictures StretchReader::Read(VideoFrameSource& source, const Stretch& stretch)
{
    if (!source.ReadStretch(stretch.entry, stretch.wanted))
        return std::nullopt;
    std::vector<std::shared_ptr<const DecodedPicture>> pictures;
    pictures.reserve(stretch.shown.size());
    for (const std::int64_t position : stretch.shown) {
        std::shared_ptr<const DecodedPicture> picture = source.PictureAt(static_cast<std::int32_t>(position));
        if (!picture || source.StretchFailed())
            return std::nullopt;
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

void StretchReader::Work(std::stop_token stop)
{
    std::optional<VideoFrameSource> source;
    while (true) {
        std::size_t mine = 0;
        {
            std::unique_lock lock(mutex_);
            // Reading runs a few stretches ahead of the taker, no more: their pictures wait in memory.
            if (!changed_.wait(lock, stop, [&] { return failed_ || nextToRead_ >= stretches_.size() || nextToRead_ < handedOut_ + lookAhead_; }))
                return;
            if (failed_ || nextToRead_ >= stretches_.size())
                return;
            mine = nextToRead_++;
        }
        Pictures pictures;
        std::exception_ptr thrown;
        try {
            if (!source) {
                source.emplace();
                if (source->Open(path_, DecoderThreading{1}, look_, &index_) != VideoFrameSource::Status::Ok)
                    source.reset();
            }
            if (source)
                pictures = Read(*source, stretches_[mine]);
        } catch (...) {
            thrown = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            if (thrown && !thrown_)
                thrown_ = thrown;
            failed_ = failed_ || !pictures;
            read_[mine] = std::move(pictures);
        }
        changed_.notify_all();
    }
}

StretchReader::Pictures StretchReader::Next()
{
    std::unique_lock lock(mutex_);
    if (workers_.empty()) {
        // No thread could be started: read here.
        if (!ownSource_) {
            ownSource_.emplace();
            if (ownSource_->Open(path_, DecoderThreading{1}, look_, &index_) != VideoFrameSource::Status::Ok)
                return std::nullopt;
        }
        Pictures pictures = Read(*ownSource_, stretches_[handedOut_++]);
        if (!pictures)
            handedOut_ = stretches_.size();
        return pictures;
    }
    changed_.wait(lock, [&] { return thrown_ || read_.count(handedOut_) > 0; });
    if (thrown_)
        std::rethrow_exception(thrown_);
    Pictures pictures = std::move(read_[handedOut_]);
    read_.erase(handedOut_);
    ++handedOut_;
    if (!pictures)
        handedOut_ = stretches_.size();
    lock.unlock();
    changed_.notify_all();
    return pictures;
}
