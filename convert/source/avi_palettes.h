#pragma once

#include "convert/source/video_file.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The colours of a paletted AVI stream at every place in its file. The file gives them in its header
// and changes them with chunks of their own ('NNpc'), which FFmpeg's reader applies only as it reads
// past them: a reader that seeks passes over every change before the place it lands on, and a decoder
// keeps the colours it was given last. So the colours a packet is decoded with are taken from here, by
// where the packet lies in the file, and never from what was read before it.
class AviPalettes {
public:
    using Palette = std::array<std::uint32_t, AVPALETTE_COUNT>;  // as a packet's palette holds them

    // None unless `video` is an AVI file; `first` is the palette its stream's first packet comes with.
    static std::optional<AviPalettes> Of(const VideoFile& video, const Palette& first);

    // Which palette is in force for the packet whose chunk starts at `offset`: 0 for the one the first
    // packet comes with, n for the one the n-th change leaves.
    std::size_t IndexAt(std::int64_t offset) const;
    const Palette& operator[](std::size_t index) const { return palettes_[index]; }

private:
    std::vector<std::int64_t> changedAt_;  // where each change chunk starts, in file order
    std::vector<Palette> palettes_;
};

// The palette the first packet of a paletted stream comes with, as a reader from the start is given it:
// FFmpeg's readers give it only once, with that packet, which the probe of a file has read before any
// seek. None for a stream without a palette.
std::optional<AviPalettes::Palette> FirstPacketPalette(const VideoFile& video);
