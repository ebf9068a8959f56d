#include "convert/source/avi_palettes.h"

#include "convert/source/avi_chunk_walk.h"

extern "C" {
#include <libavcodec/packet.h>
}

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A change chunk: a first entry, a count (0: as far as the last entry), two bytes of flags, then red,
// green, blue and a spare byte for each entry, read as FFmpeg's reader reads it, on past the chunk's
// end if the count says so (zeros past the file's end). FFmpeg takes a larger chunk for a picture.
constexpr qint64 kLargestChange = 4 + 4 * AVPALETTE_COUNT;
// Each change is kept as the whole palette it leaves (1 KiB). A file with more changes than this is left
// to FFmpeg's reader as it stands, rather than let a hostile file's chunks fill memory.
constexpr std::size_t kMostChanges = 16384;

struct Change {
    qint64 at = 0;
    int first = 0;
    std::vector<std::uint32_t> entries;
};

std::optional<Change> ReadChange(QFile& file, qint64 at, qint64 size)
{
    std::uint8_t bytes[kLargestChange] = {};
    if (size > kLargestChange || !file.seek(at + 8) || file.read(reinterpret_cast<char*>(bytes), 4) != 4)
        return std::nullopt;
    Change change{at, bytes[0], {}};
    const int last = (bytes[0] + bytes[1] - 1) & 0xFF;
    const int count = std::max(0, last - change.first + 1);
    file.read(reinterpret_cast<char*>(bytes) + 4, 4 * count);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = bytes + 4 + 4 * i;
        change.entries.push_back(0xFF000000u | std::uint32_t{entry[0]} << 16 | std::uint32_t{entry[1]} << 8 | entry[2]);
    }
    return change;
}

}  // namespace

std::optional<AviPalettes> AviPalettes::Of(const VideoFile& video, const Palette& first)
{
    if (!video.NumbersChunks())
        return std::nullopt;
    std::vector<Change> changes;
    WalkStreamChunks(video.Path(), video.StreamIndex(), [&](QFile& file, const char* type, qint64 at, qint64 size) {
        if (type[0] == 'p' && type[1] == 'c') {
            if (std::optional<Change> change = ReadChange(file, at, size))
                changes.push_back(std::move(*change));
        }
        return changes.size() <= kMostChanges;
    });
    if (changes.size() > kMostChanges)
        return std::nullopt;
    AviPalettes palettes;
    palettes.palettes_.push_back(first);
    for (const Change& change : changes) {
        Palette next = palettes.palettes_.back();
        std::copy(change.entries.begin(), change.entries.end(), next.begin() + change.first);
        palettes.changedAt_.push_back(change.at);
        palettes.palettes_.push_back(next);
    }
    return palettes;
}

std::size_t AviPalettes::IndexAt(std::int64_t offset) const
{
    return static_cast<std::size_t>(std::lower_bound(changedAt_.begin(), changedAt_.end(), offset) - changedAt_.begin());
}

std::optional<AviPalettes::Palette> FirstPacketPalette(const VideoFile& video)
{
    const AVCodecParameters& parameters = *video.Stream().codecpar;
    const int depth = parameters.bits_per_coded_sample;
    if (parameters.format != AV_PIX_FMT_PAL8 && (depth <= 0 || depth > 8))
        return std::nullopt;
    QString reason;
    const std::unique_ptr<VideoFile> again = VideoFile::Open(video.Path(), reason);
    if (!again)
        return std::nullopt;
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    while (av_read_frame(&again->Format(), packet.get()) >= 0) {
        if (packet->stream_index != again->StreamIndex()) {
            av_packet_unref(packet.get());
            continue;
        }
        std::size_t size = 0;
        const std::uint8_t* given = av_packet_get_side_data(packet.get(), AV_PKT_DATA_PALETTE, &size);
        if (!given || size < AVPALETTE_SIZE)
            return std::nullopt;
        AviPalettes::Palette palette;
        std::memcpy(palette.data(), given, AVPALETTE_SIZE);
        return palette;
    }
    return std::nullopt;
}
