#pragma once

#include "convert/source/picture_index.h"
#include "convert/source/position_rule.h"

// Positions outside AVI when decoding starts at an entry point of an index that the file's packets
// prove (see PacketIndex): a picture's position is the one the index gives its timestamp. A picture
// whose timestamp the index does not hold, or that comes out of order, breaks the proof: it gets no
// position, and the rule says so.
class TimestampPositions final : public PositionRule {
public:
    explicit TimestampPositions(const PictureIndex& index) : index_(index) {}

    std::int32_t StartPosition() const override { return 0; }
    std::optional<std::int32_t> Count() const override { return std::nullopt; }

    bool Takes(const AVPacket&) const override { return true; }
    void Sent(const AVPacket&) override {}
    void SentPacketFailed() override {}
    std::int64_t PositionOfNextPicture(const AVFrame& picture) override;
    void StartOver() override { last_ = -1; }
    bool Holds(std::int64_t, bool) override { return true; }
    bool RepeatsPictureBefore() const override { return false; }

    // A picture came out that the index does not foresee there.
    bool Broken() const { return broken_; }

private:
    const PictureIndex& index_;
    std::int64_t last_ = -1;
    bool broken_ = false;
};
