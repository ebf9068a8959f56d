#include "convert/source/stretch_gate.h"

#include <algorithm>

void StretchGate::Begin(const PictureIndex::EntryPoint& entry, std::vector<std::int64_t> wanted)
{
    entry_ = entry;
    wanted_ = std::move(wanted);
    wantedLeft_ = wanted_.size();
    entriesPassed_ = 0;
    landed_ = false;
}

std::int64_t StretchGate::ChunkOf(const AVPacket& packet) const
{
    return packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
}

PacketGate::Verdict StretchGate::Fail()
{
    failed_ = true;
    return Verdict::End;
}

PacketGate::Verdict StretchGate::Land(const AVPacket& packet)
{
    const bool key = packet.flags & AV_PKT_FLAG_KEY;
    if (chunks_) {
        const std::int64_t chunk = ChunkOf(packet);
        if (chunk < entry_.presentation)
            return Verdict::PassOver;
        landed_ = chunk == entry_.presentation && key;
        return landed_ ? Verdict::Decode : Fail();
    }
    if (key && packet.pts == entry_.presentation) {
        landed_ = true;
        return Verdict::Decode;
    }
    // A seek lands at or before a key frame; once past the entry point it cannot be found.
    const bool past = (packet.dts != AV_NOPTS_VALUE && packet.dts > entry_.timestamp)
        || (key && packet.pts != AV_NOPTS_VALUE && packet.pts > entry_.presentation);
    return past ? Fail() : Verdict::PassOver;
}

PacketGate::Verdict StretchGate::Admit(const AVPacket& packet)
{
    if (failed_)
        return Verdict::End;
    if (!landed_) {
        const Verdict landing = Land(packet);
        if (!landed_)
            return landing;
    }
    if (chunks_)
        return ChunkOf(packet) >= wanted_.back() ? Verdict::DecodeAndEnd : Verdict::Decode;
    // Leading pictures of an open GOP refer to what came before the entry point: none is wanted here.
    if (packet.pts != AV_NOPTS_VALUE && packet.pts < entry_.presentation)
        return Verdict::PassOver;
    const std::optional<std::int64_t> position
        = packet.pts == AV_NOPTS_VALUE ? std::nullopt : index_.PositionOfTimestamp(packet.pts);
    if (position && std::binary_search(wanted_.begin(), wanted_.end(), *position))
        return --wantedLeft_ == 0 ? Verdict::DecodeAndEnd : Verdict::Decode;
    // The wanted pictures are at most the leading ones of the next entry point: past the one after it,
    // the index is wrong.
    const PictureIndex::EntryPoint* entry = position ? index_.EntryPointFor(*position) : nullptr;
    if (entry && entry->position == *position && *position > wanted_.back() && ++entriesPassed_ > 1)
        return Fail();
    return Verdict::DecodeUnshown;
}
