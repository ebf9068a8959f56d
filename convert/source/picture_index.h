#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>
#include <optional>
#include <vector>

// What a video holds, picture by picture in position order: when each picture is shown and whether the
// decoder marks it as a key frame; and, where the file's packets prove it, where decoding may start so
// that every picture from there on comes out as a decode from the very start gives it.
struct PictureIndex {
    struct Picture {
        // Ticks of the time base from position 0's timestamp; in AVI the position times the frame duration.
        std::int64_t time = 0;
        bool key = false;
    };
    // A packet decoding may start from: the pictures from `position` on depend on nothing before it.
    struct EntryPoint {
        std::int64_t position = 0;
        std::int64_t timestamp = 0;     // what to seek to: the packet's decoding timestamp, else its presentation one
        std::int64_t presentation = 0;  // the packet's presentation timestamp (AVI: its chunk number)
    };

    AVRational timeBase{1, 1};
    std::int64_t firstPosition = 0;  // an AVI header may number its first chunk beyond 0
    std::int64_t origin = 0;         // the timestamp of position 0's picture
    std::vector<Picture> pictures;   // pictures[i] is position firstPosition + i
    // Sorted by position; empty when decoding must start from the start of the file.
    std::vector<EntryPoint> entryPoints;

    std::int64_t EndPosition() const { return firstPosition + static_cast<std::int64_t>(pictures.size()); }
    // The position whose picture has this presentation timestamp; none when no picture has it. Needs
    // times that increase with the position, as an index with entry points has.
    std::optional<std::int64_t> PositionOfTimestamp(std::int64_t timestamp) const;
    // The last entry point at or before `position`; none before the first.
    const EntryPoint* EntryPointFor(std::int64_t position) const;
};
