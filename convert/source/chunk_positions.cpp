#include "convert/source/chunk_positions.h"

#include "convert/source/avi_chunk_walk.h"

#include <algorithm>
#include <limits>

namespace {

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

ChunkPositions::ChunkPositions(QString path, const AVStream& stream)
    : path_(std::move(path)), stream_(stream.index),
      start_(stream.start_time != AV_NOPTS_VALUE ? ClampToInt32(stream.start_time) : 0),
      count_(ClampToInt32(stream.nb_frames))
{
}

bool ChunkPositions::Takes(const AVPacket& packet) const
{
    // A packet the file holds only part of (it breaks off inside the chunk) is not a frame: the decoder
    // would make a damaged picture of it.
    return !(packet.flags & AV_PKT_FLAG_CORRUPT);
}

void ChunkPositions::Sent(const AVPacket& packet)
{
    const std::int64_t position = packet.dts != AV_NOPTS_VALUE ? packet.dts
        : packet.pts != AV_NOPTS_VALUE                         ? packet.pts
                                                               : lastSentPosition_ + 1;
    pending_.push_back(position);
    lastSentPosition_ = position;
    lastPacketPosition_ = std::max(lastPacketPosition_, position);
}

void ChunkPositions::SentPacketFailed()
{
    if (!pending_.empty() && pending_.back() == lastSentPosition_)
        pending_.pop_back();
}

std::int64_t ChunkPositions::PositionOfNextPicture(const AVFrame&)
{
    std::int64_t position = 0;
    if (!pending_.empty()) {
        position = pending_.front();
        pending_.pop_front();
    } else {
        // More pictures than packets (frames packed together in one chunk): the chunks after.
        position = std::max(lastPacketPosition_, lastPicturePosition_) + 1;
    }
    lastPicturePosition_ = position;
    return position;
}

void ChunkPositions::StartOver()
{
    pending_.clear();
    lastPacketPosition_ = -1;
    lastSentPosition_ = -1;
    lastPicturePosition_ = -1;
    lastHeldPosition_.reset();
}

bool ChunkPositions::Holds(std::int64_t position, bool ended)
{
    return position <= lastPacketPosition_ || (ended && position <= LastHeldPosition());
}

std::int64_t ChunkPositions::LastHeldPosition()
{
    if (!lastHeldPosition_)
        lastHeldPosition_ = lastPacketPosition_ + TrailingEmptyChunks(path_, stream_);
    return *lastHeldPosition_;
}
