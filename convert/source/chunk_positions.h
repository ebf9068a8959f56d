#pragma once

#include "convert/source/position_rule.h"

#include <QString>

extern "C" {
#include <libavformat/avformat.h>
}

#include <deque>

// Positions in AVI: position n is the stream's n-th chunk, counted from the header's start, and the
// header's length says how many there are. The k-th picture belongs to the k-th packet's position,
// leaving out packets that failed to decode. A chunk that is empty (a dropped frame) repeats the
// picture before it, also after the last picture; positions before the first picture or past the last
// chunk the file holds have none.
class ChunkPositions final : public PositionRule {
public:
    ChunkPositions(QString path, const AVStream& stream);

    std::int32_t StartPosition() const override { return start_; }
    std::optional<std::int32_t> Count() const override { return count_; }

    bool Takes(const AVPacket& packet) const override;
    void Sent(const AVPacket& packet) override;
    void SentPacketFailed() override;
    std::int64_t PositionOfNextPicture(const AVFrame&) override;
    void StartOver() override;
    // Positions up to the last packet, and once the decoder has ended, the empty chunks after it.
    bool Holds(std::int64_t position, bool ended) override;
    // An empty chunk is a dropped frame: the picture before it stands for it.
    bool RepeatsPictureBefore() const override { return true; }

private:
    // The last position of a chunk the file holds, known once the decoder has ended: empty chunks after
    // the last packet are positions too.
    std::int64_t LastHeldPosition();

    QString path_;
    int stream_;
    std::int32_t start_;
    std::int32_t count_;

    // Positions of the packets sent whose pictures have not come out yet, in the order sent.
    std::deque<std::int64_t> pending_;
    std::int64_t lastPacketPosition_ = -1;
    std::int64_t lastSentPosition_ = -1;
    std::int64_t lastPicturePosition_ = -1;
    std::optional<std::int64_t> lastHeldPosition_;
};
