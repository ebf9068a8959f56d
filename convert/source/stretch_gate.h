#pragma once

#include "convert/source/packet_gate.h"
#include "convert/source/picture_index.h"

#include <cstdint>
#include <vector>

// The packets a stretch of wanted pictures needs, after a seek to its entry point: those before the
// entry point are passed over, pictures nobody wants or refers to are skipped, and the stream ends with
// the packet of the last wanted picture. Positions come from the index by timestamp, or in AVI from the
// chunk numbers (where every packet is decoded: a skipped one would shift the pictures after it).
class StretchGate final : public PacketGate {
public:
    StretchGate(const PictureIndex& index, bool chunkPositions) : index_(index), chunks_(chunkPositions) {}

    // A new stretch from `entry` for the `wanted` positions (increasing, none before the entry).
    void Begin(const PictureIndex::EntryPoint& entry, std::vector<std::int64_t> wanted);
    Verdict Admit(const AVPacket& packet) override;

    // The seek did not land at or before the entry point, or the packets broke what the index says.
    bool Failed() const { return failed_; }

private:
    std::int64_t ChunkOf(const AVPacket& packet) const;
    Verdict Land(const AVPacket& packet);
    Verdict Fail();

    const PictureIndex& index_;
    bool chunks_;
    PictureIndex::EntryPoint entry_;
    std::vector<std::int64_t> wanted_;
    std::size_t wantedLeft_ = 0;
    int entriesPassed_ = 0;
    bool landed_ = false;
    bool failed_ = false;
};
