#include "convert/source/packet_index.h"

#include "convert/picture/memory_shortage.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <queue>

namespace {

struct ParserCloser {
    void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserCloser>;

PictureOrder OrderOf(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC: return PictureOrder::ByOrderCount;
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG4: return PictureOrder::AfterNextReference;
    // Frames that are decoded but never shown come in packets of their own.
    case AV_CODEC_ID_VP8:
    case AV_CODEC_ID_VP9: return PictureOrder::Unknown;
    default: break;
    }
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec);
    return descriptor && !(descriptor->props & AV_CODEC_PROP_REORDER) ? PictureOrder::AsDecoded : PictureOrder::Unknown;
}

// The headers of each packet, read by the codec's own parser from whole packets.
class HeaderReader {
public:
    HeaderReader(const AVCodecParameters& codec, PictureOrder order)
        : parser_(av_parser_init(codec.codec_id)), context_(avcodec_alloc_context3(nullptr)), order_(order)
    {
        if (!parser_ || !context_ || avcodec_parameters_to_context(context_.get(), &codec) < 0)
            throw std::bad_alloc();
        parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }

    void Read(const AVPacket& packet, PacketRecord& record)
    {
        std::uint8_t* out = nullptr;
        int outSize = 0;
        av_parser_parse2(parser_.get(), context_.get(), &out, &outSize, packet.data, packet.size, packet.pts,
            packet.dts, packet.pos);
        record.order = parser_->output_picture_number;
        record.type = parser_->pict_type == AV_PICTURE_TYPE_NONE ? 0 : av_get_picture_type_char(static_cast<AVPictureType>(parser_->pict_type));
        record.field = parser_->picture_structure == AV_PICTURE_STRUCTURE_TOP_FIELD
            || parser_->picture_structure == AV_PICTURE_STRUCTURE_BOTTOM_FIELD;
        // The decoders of MPEG-1, -2 and -4 part 2 mark every I-picture as a key frame; those of H.264
        // and HEVC only pictures that start a sequence or a recovery point, as the parser does.
        record.parsedKey = order_ == PictureOrder::AfterNextReference ? record.type == 'I' : parser_->key_frame == 1;
    }

private:
    ParserPtr parser_;
    CodecContextPtr context_;
    PictureOrder order_;
};

// The order in which the decoder shows the packets, as indices in decoding order; none when the packet
// headers do not tell.
std::optional<std::vector<std::size_t>> ShowingOrder(const PacketScan& scan)
{
    const std::vector<PacketRecord>& packets = scan.packets;
    std::vector<std::size_t> shown;
    shown.reserve(packets.size());
    switch (scan.order) {
    case PictureOrder::AsDecoded:
        for (std::size_t i = 0; i < packets.size(); ++i)
            shown.push_back(i);
        return shown;
    case PictureOrder::AfterNextReference: {
        std::optional<std::size_t> held;
        for (std::size_t i = 0; i < packets.size(); ++i) {
            if (packets[i].type == 0)
                return std::nullopt;
            if (packets[i].type == 'B') {
                shown.push_back(i);
                continue;
            }
            if (held)
                shown.push_back(*held);
            held = i;
        }
        if (held)
            shown.push_back(*held);
        return shown;
    }
    case PictureOrder::ByOrderCount: {
        // The decoder holds pictures back and shows the lowest order count once it holds more than its
        // depth; a key frame whose count starts again (an IDR) shows everything held first.
        using Held = std::pair<int, std::size_t>;
        std::priority_queue<Held, std::vector<Held>, std::greater<Held>> holding;
        int highest = std::numeric_limits<int>::min();
        const auto showAll = [&] {
            for (; !holding.empty(); holding.pop())
                shown.push_back(holding.top().second);
        };
        for (std::size_t i = 0; i < packets.size(); ++i) {
            if (packets[i].parsedKey && packets[i].order <= highest) {
                showAll();
                highest = std::numeric_limits<int>::min();
            }
            highest = std::max(highest, packets[i].order);
            holding.emplace(packets[i].order, i);
            if (holding.size() > static_cast<std::size_t>(scan.reorderDepth)) {
                shown.push_back(holding.top().second);
                holding.pop();
            }
        }
        showAll();
        return shown;
    }
    case PictureOrder::Unknown: break;
    }
    return std::nullopt;
}

// Whether decoding from a key frame gives every later picture as a decode from the start does. So for
// codecs that keep nothing from picture to picture, and for those whose key frames the parser proves: a
// sequence start or recovery point of H.264 and HEVC, an I-picture of MPEG-1, -2 and -4 part 2, and an
// AV1 key frame. Other decoders may carry state across a key frame that no check would tell (the WMV8
// decoder gives an intra picture other pixels after a seek).
bool SeeksExactly(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG4:
    case AV_CODEC_ID_AV1: return true;
    default: break;
    }
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec);
    return descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
}

// Whether a picture is a key frame as the decoder marks it.
bool ShownAsKey(const PacketScan& scan, const PacketRecord& packet)
{
    return scan.parsed ? packet.parsedKey : packet.key;
}

}  // namespace

PacketScan ScanPackets(VideoFile& video)
{
    const AVStream& stream = video.Stream();
    PacketScan scan;
    scan.order = OrderOf(stream.codecpar->codec_id);
    scan.reorderDepth = stream.codecpar->video_delay;
    scan.seeksExactly = SeeksExactly(stream.codecpar->codec_id);
    scan.timeBase = stream.time_base;
    std::optional<HeaderReader> headers;
    if (scan.order == PictureOrder::ByOrderCount || scan.order == PictureOrder::AfterNextReference) {
        headers.emplace(*stream.codecpar, scan.order);
        scan.parsed = true;
    }
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    while (true) {
        const int read = av_read_frame(&video.Format(), packet.get());
        ThrowIfOutOfMemory(read);
        if (read < 0)
            break;
        // What the decode loop passes over is no packet here either.
        if (packet->stream_index == video.StreamIndex() && packet->size > 0) {
            PacketRecord record;
            record.pts = packet->pts;
            record.dts = packet->dts;
            record.key = packet->flags & AV_PKT_FLAG_KEY;
            record.discard = packet->flags & AV_PKT_FLAG_DISCARD;
            record.corrupt = packet->flags & AV_PKT_FLAG_CORRUPT;
            record.pos = packet->pos;
            if (headers)
                headers->Read(*packet, record);
            scan.packets.push_back(record);
        }
        av_packet_unref(packet.get());
    }
    return scan;
}

std::optional<PictureIndex> ProvePictures(const PacketScan& scan)
{
    const std::vector<PacketRecord>& packets = scan.packets;
    if (packets.empty() || !packets.front().key || !ShownAsKey(scan, packets.front()))
        return std::nullopt;
    for (const PacketRecord& packet : packets) {
        if (packet.pts == AV_NOPTS_VALUE || packet.corrupt || packet.field)
            return std::nullopt;
    }
    const std::optional<std::vector<std::size_t>> shown = ShowingOrder(scan);
    if (!shown)
        return std::nullopt;
    // Shown in the order of their timestamps, all different; the first packet first of all.
    if ((*shown)[0] != 0)
        return std::nullopt;
    for (std::size_t k = 1; k < shown->size(); ++k) {
        if (packets[(*shown)[k]].pts <= packets[(*shown)[k - 1]].pts)
            return std::nullopt;
    }

    PictureIndex index;
    index.timeBase = scan.timeBase;
    std::vector<std::int64_t> shownTimestamps;
    for (const std::size_t i : *shown) {
        if (packets[i].discard)
            continue;
        if (index.pictures.empty())
            index.origin = packets[i].pts;
        index.pictures.push_back({packets[i].pts - index.origin, ShownAsKey(scan, packets[i])});
        shownTimestamps.push_back(packets[i].pts);
    }
    // An entry point comes after everything shown before it, so that every picture shown from it on
    // follows it. Pictures an open GOP shows before it may come after it (leading pictures that refer to
    // what came before): the stretches from it pass over them.
    std::int64_t highestBefore = std::numeric_limits<std::int64_t>::min();
    for (std::size_t i = 0; scan.seeksExactly && i < packets.size(); ++i) {
        const PacketRecord& packet = packets[i];
        if (packet.key && ShownAsKey(scan, packet) && packet.pts > highestBefore) {
            const auto at = std::lower_bound(shownTimestamps.begin(), shownTimestamps.end(), packet.pts);
            if (at != shownTimestamps.end()) {
                index.entryPoints.push_back({at - shownTimestamps.begin(),
                    packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts, packet.pts});
            }
        }
        highestBefore = std::max(highestBefore, packet.pts);
    }
    return index;
}

PictureIndex IndexOfChunks(const PacketScan& scan, const AVStream& stream, int trailingEmptyChunks,
    const std::vector<std::int64_t>& chunkData)
{
    constexpr std::int64_t kMostPosition = std::numeric_limits<std::int32_t>::max();
    // As ChunkPositions numbers packets.
    std::vector<std::int64_t> chunks;
    chunks.reserve(scan.packets.size());
    for (const PacketRecord& packet : scan.packets) {
        const std::int64_t previous = chunks.empty() ? -1 : chunks.back();
        chunks.push_back(packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts != AV_NOPTS_VALUE ? packet.pts : previous + 1);
    }
    std::optional<std::int64_t> firstHeld;
    std::int64_t lastHeld = -1;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (scan.packets[i].corrupt)
            continue;
        firstHeld = std::min(firstHeld.value_or(chunks[i]), chunks[i]);
        lastHeld = std::max(lastHeld, chunks[i]);
    }
    PictureIndex index;
    index.timeBase = stream.time_base;
    const std::int64_t start = stream.start_time != AV_NOPTS_VALUE ? std::clamp<std::int64_t>(stream.start_time, 0, kMostPosition) : 0;
    index.firstPosition = std::clamp<std::int64_t>(firstHeld.value_or(start), start, kMostPosition);
    const std::int64_t end = std::clamp<std::int64_t>(std::min<std::int64_t>(stream.nb_frames, lastHeld + 1 + trailingEmptyChunks),
        index.firstPosition, kMostPosition);
    index.pictures.resize(static_cast<std::size_t>(end - index.firstPosition));
    for (std::int64_t position = index.firstPosition; position < end; ++position)
        index.pictures[static_cast<std::size_t>(position - index.firstPosition)].time = position;

    // Numbering by chunks holds after a seek only where every packet shows its own picture in turn:
    // a codec that reorders must not here (AVI's header says nothing of how deep it would).
    bool inTurn = scan.seeksExactly && !scan.packets.empty() && scan.order != PictureOrder::Unknown;
    int highest = std::numeric_limits<int>::min();
    for (const PacketRecord& packet : scan.packets) {
        if (scan.order == PictureOrder::AfterNextReference)
            inTurn = inTurn && packet.type != 'B' && packet.type != 0;
        if (scan.order == PictureOrder::ByOrderCount) {
            const bool restarts = packet.parsedKey && packet.order <= highest;
            inTurn = inTurn && (restarts || packet.order > highest);
            highest = restarts ? packet.order : std::max(highest, packet.order);
        }
    }
    for (std::size_t i = 0; i < scan.packets.size(); ++i) {
        const PacketRecord& packet = scan.packets[i];
        const std::int64_t chunk = chunks[i];
        inTurn = inTurn && !packet.corrupt && !packet.field
            && (packet.pos < 0 || std::binary_search(chunkData.begin(), chunkData.end(), packet.pos));
        if (chunk < index.firstPosition || chunk >= end || packet.corrupt)
            continue;
        const bool key = packet.key && ShownAsKey(scan, packet);
        index.pictures[static_cast<std::size_t>(chunk - index.firstPosition)].key = key;
        if (key)
            index.entryPoints.push_back({chunk, chunk, chunk});
    }
    if (!inTurn)
        index.entryPoints.clear();
    std::sort(index.entryPoints.begin(), index.entryPoints.end(),
        [](const PictureIndex::EntryPoint& a, const PictureIndex::EntryPoint& b) { return a.position < b.position; });
    return index;
}
