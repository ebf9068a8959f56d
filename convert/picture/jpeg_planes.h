#pragma once

#include <cstdint>

// A picture with 4:2:0 chroma already in JPEG's own colours (BT.601, full range), plane by plane, each
// plane padded to whole 2×2 subsampling blocks, as a JPEG encoder reads them: PaddedWidth × PaddedHeight
// samples for plane 0 (luma) and planes 1 and 2 (chroma).
struct JpegPlanes {
    int width = 0;
    int height = 0;
    const std::uint8_t* planes[3] = {};
    int strides[3] = {};

    static constexpr int PaddedWidth(int plane, int width)
    {
        const int whole = (width + 1) & ~1;
        return plane == 0 ? whole : whole / 2;
    }
    static constexpr int PaddedHeight(int plane, int height) { return PaddedWidth(plane, height); }
};
