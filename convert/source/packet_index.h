#pragma once

#include "convert/source/picture_index.h"
#include "convert/source/video_file.h"

#include <cstdint>
#include <optional>
#include <vector>

// One packet of the video stream as the container gives it, in decoding order, and what the codec's
// parser reads in its headers where the proof below needs it.
struct PacketRecord {
    std::int64_t pts = AV_NOPTS_VALUE;
    std::int64_t dts = AV_NOPTS_VALUE;
    int order = 0;          // the parser's picture order count (H.264, HEVC)
    char type = 0;          // the parser's picture type, 'I', 'P', 'B', ...; 0 when unknown
    bool key = false;       // the container marks it as a key frame
    bool discard = false;   // decoded but never shown (outside an MP4 edit list)
    bool corrupt = false;
    bool field = false;     // the parser found a field: two packets make one picture
    bool parsedKey = false; // the parser found what the decoder marks as a key frame
    std::int64_t pos = -1;  // where the reader found it in the file
};

// How a codec's decoder puts its pictures out, as far as packet headers can tell.
enum class PictureOrder {
    AsDecoded,           // in decoding order: the codec never reorders
    ByOrderCount,        // by picture order count, holding back at most `reorderDepth` pictures (H.264, HEVC)
    AfterNextReference,  // B-pictures at once, the others when the next of them comes (MPEG-1, -2, -4 part 2)
    Unknown,             // hidden frames (VP8, VP9) or reordering no parser here tells
};

// Every packet of a video's stream, read without decoding.
struct PacketScan {
    std::vector<PacketRecord> packets;
    PictureOrder order = PictureOrder::Unknown;
    bool parsed = false;    // the parser's fields are filled
    int reorderDepth = 0;   // what the decoder starts with (FFmpeg's video_delay)
    bool seeksExactly = false;  // decoding from a key frame gives what a decode from the start gives
    AVRational timeBase{1, 1};
};

// Reads every packet of `video`'s stream; the codec's parser reads their headers where the order or
// the fields need it. Throws std::bad_alloc when memory runs out.
PacketScan ScanPackets(VideoFile& video);

// The pictures outside AVI that the packets prove, with the entry points seeking may use; none when
// the packets leave doubt, so that only a decode can tell. Proof needs: every packet with a
// presentation timestamp, all different, none damaged, none a field; a first packet that is a key
// frame shown first; and the decoder's order of showing (by `order`) to be the order of the
// timestamps. Each shown packet is then one picture, in timestamp order, its time its timestamp less
// the first's. An entry point is a key frame shown after every packet before it, of a codec that seeks
// exactly.
std::optional<PictureIndex> ProvePictures(const PacketScan& scan);

// AVI: position n is chunk n, its time n frame durations, a key frame when the index marks its chunk so
// (an empty chunk never). The positions run from the first chunk with data to the last one the file
// holds (`trailingEmptyChunks` after the last with data), within the header's start and length. Entry
// points at the key chunks where the decoder shows pictures in decoding order, so that numbering by
// chunks holds after a seek: never where the reader found a packet that is none of the stream's chunks
// the file's structure holds (`chunkData`: where their data starts, in file order, as PictureChunksOf gives it), for it then read on
// past a broken chunk by searching, and numbers the packets it finds so otherwise than after a seek.
PictureIndex IndexOfChunks(const PacketScan& scan, const AVStream& stream, int trailingEmptyChunks,
    const std::vector<std::int64_t>& chunkData);
