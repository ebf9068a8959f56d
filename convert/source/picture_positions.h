#pragma once

#include "convert/source/position_rule.h"

// Positions outside AVI. Position n is the n-th picture the decoder hands over when the stream is
// decoded from its start without seeking, in presentation order: exactly the pictures, in their order,
// that `ffmpeg -i F -map 0:V:0 -fps_mode passthrough` writes. An edit list thus counts as FFmpeg applies
// it; leading pictures an open GOP never shows and hidden VP8/VP9 frames get no position; nothing is
// repeated or dropped for timing, so a variable frame rate gives one image per picture. Timestamps play
// no part: they need not be unique.
class PicturePositions final : public PositionRule {
public:
    std::int32_t StartPosition() const override { return 0; }
    std::optional<std::int32_t> Count() const override { return std::nullopt; }

    // Every packet, damaged ones too: the decoder conceals what it can, as the ffmpeg command lets it.
    bool Takes(const AVPacket&) const override { return true; }
    void Sent(const AVPacket&) override {}
    void SentPacketFailed() override {}
    std::int64_t PositionOfNextPicture(const AVFrame&) override { return picturesOut_++; }
    void StartOver() override { picturesOut_ = 0; }
    // Every position up to the last has its own picture, and none lies beyond.
    bool Holds(std::int64_t, bool) override { return true; }
    bool RepeatsPictureBefore() const override { return false; }

private:
    std::int64_t picturesOut_ = 0;
};
