#pragma once

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/frame.h>
}

#include <cstdint>
#include <optional>

// What the positions in a video's output names mean, which depends on the kind of container. The decode
// loop asks the rule which packets go to the decoder and where each picture the decoder puts out
// belongs; the frame source asks it whether a position without a picture of its own shows the one before.
class PositionRule {
public:
    virtual ~PositionRule() = default;

    // The first position.
    virtual std::int32_t StartPosition() const = 0;
    // How many positions the container announces; none when pictures are only counted as they come.
    virtual std::optional<std::int32_t> Count() const = 0;

    // Whether a packet of the stream goes to the decoder.
    virtual bool Takes(const AVPacket& packet) const = 0;
    // The packet went to the decoder.
    virtual void Sent(const AVPacket& packet) = 0;
    // Decoding on one thread: the packet just sent failed, so it puts out no picture.
    virtual void SentPacketFailed() = 0;
    // The position of `picture`, which the decoder has just put out; below 0 for a picture that has
    // none (it is passed over).
    virtual std::int64_t PositionOfNextPicture(const AVFrame& picture) = 0;
    // Decoding starts again, from the start of the stream or from where it was sought to.
    virtual void StartOver() = 0;

    // Whether the file holds `position` as far as it has been read; `ended`: the decoder has put out its
    // last picture.
    virtual bool Holds(std::int64_t position, bool ended) = 0;
    // Whether a position the file holds without a picture of its own shows the last picture before it.
    virtual bool RepeatsPictureBefore() const = 0;
};
