#include "convert/source/selected_frames.h"

#include "convert/source/avi_chunk_walk.h"
#include "convert/source/decoded_index.h"
#include "convert/source/packet_index.h"
#include "convert/source/selection_plan.h"

namespace {

// Stretches pay off while they decode well under the whole video: beyond that one decode from the start,
// on all its threads and without seeking, is as quick.
constexpr double kMostOfTheVideoForStretches = 0.7;

}  // namespace

SelectedFrames::SelectedFrames() = default;
SelectedFrames::~SelectedFrames() = default;

VideoFrameSource::Status SelectedFrames::Open(const QString& path, DecoderThreading threads, unsigned stretchThreads,
    PictureLook look, const FrameSelection& selection)
{
    path_ = path;
    threads_ = threads;
    stretchThreads_ = stretchThreads;
    look_ = look;
    // The decode from the start tells whether the file can be read at all, and says why not.
    fromStart_ = std::make_unique<VideoFrameSource>();
    const VideoFrameSource::Status status = fromStart_->Open(path, threads, look);
    failureReason_ = fromStart_->FailureReason();
    if (status != VideoFrameSource::Status::Ok)
        return status;

    std::unique_ptr<VideoFile> video = VideoFile::Open(path, failureReason_);
    if (!video)
        return VideoFrameSource::Status::FileError;
    const PacketScan scan = ScanPackets(*video);
    std::optional<PictureIndex> index;
    indexedByPackets_ = true;
    if (video->NumbersChunks()) {
        const PictureChunks chunks = PictureChunksOf(path, video->StreamIndex());
        index = IndexOfChunks(scan, video->Stream(), chunks.trailingEmpty, chunks.data);
    } else {
        index = ProvePictures(scan);
        if (!index) {
            indexedByPackets_ = false;
            video = VideoFile::Open(path, failureReason_);
            if (!video)
                return VideoFrameSource::Status::FileError;
            index = IndexByDecoding(std::move(video), threads);
            if (!index)
                return VideoFrameSource::Status::NoDecompressor;
        }
    }
    index_ = std::move(*index);
    plan_ = PlanSelection(index_, selection, -1);
    return VideoFrameSource::Status::Ok;
}

void SelectedFrames::KeepFirst(std::int64_t most)
{
    if (most >= 0 && static_cast<std::size_t>(most) < plan_.size())
        plan_.resize(static_cast<std::size_t>(most));
}

std::int64_t SelectedFrames::Drop(const std::function<bool(std::int64_t position)>& unwanted)
{
    const auto kept = std::remove_if(plan_.begin(), plan_.end(), unwanted);
    const auto dropped = static_cast<std::int64_t>(plan_.end() - kept);
    plan_.erase(kept, plan_.end());
    return dropped;
}

bool SelectedFrames::ReadsInStretches() const
{
    if (index_.entryPoints.empty() || plan_.empty())
        return false;
    const std::vector<StretchReader::Stretch> stretches = StretchReader::StretchesFor(index_, plan_, Neighbours());
    if (stretches.empty())
        return false;
    std::int64_t decoded = 0;
    for (const StretchReader::Stretch& stretch : stretches)
        decoded += stretch.wanted.back() - stretch.entry.position + 1;
    return static_cast<double>(decoded) < kMostOfTheVideoForStretches * static_cast<double>(index_.pictures.size());
}

SelectedFrames::Frame SelectedFrames::FrameAt(std::int64_t position, std::shared_ptr<const DecodedPicture> picture) const
{
    const PictureIndex::Picture& indexed = index_.pictures[static_cast<std::size_t>(position - index_.firstPosition)];
    return Frame{position, std::move(picture), indexed.time, index_.timeBase, indexed.key};
}

std::optional<SelectedFrames::Frame> SelectedFrames::Next()
{
    if (!started_) {
        started_ = true;
        if (ReadsInStretches()) {
            reading_ = Reading::Stretches;
            fromStart_.reset();  // its decoder and file are not needed while stretches are read
            stretches_ = std::make_unique<StretchReader>(
                path_, index_, StretchReader::StretchesFor(index_, plan_, Neighbours()), stretchThreads_, look_);
        }
    }
    if (next_ >= plan_.size())
        return std::nullopt;
    if (stretches_) {
        if (std::shared_ptr<const DecodedPicture> picture = stretches_->Next())
            return FrameAt(plan_[next_++], std::move(picture));
        // What the stretches read broke the index: from here on, decode from the start.
        stretches_.reset();
        reading_ = Reading::FromStart;
    }
    return NextFromStart();
}

std::optional<SelectedFrames::Frame> SelectedFrames::NextFromStart()
{
    if (!fromStart_) {
        fromStart_ = std::make_unique<VideoFrameSource>();
        if (fromStart_->Open(path_, threads_, look_) != VideoFrameSource::Status::Ok)
            return std::nullopt;
    }
    const std::int64_t position = plan_[next_];
    std::shared_ptr<const DecodedPicture> picture = fromStart_->PictureAt(static_cast<std::int32_t>(position));
    if (!picture && fromStart_->Exhausted())
        return std::nullopt;
    ++next_;
    return FrameAt(position, std::move(picture));
}
