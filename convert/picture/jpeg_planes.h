#pragma once

#include <cstdint>
#include <functional>

// A picture with 4:2:0 chroma already in JPEG's own colours (BT.601, full range), plane by plane, each
// plane padded to whole 2×2 subsampling blocks, as a JPEG encoder reads them: PaddedWidth × PaddedHeight
// samples for plane 0 (luma) and planes 1 and 2 (chroma).
struct JpegPlanes {
    int width = 0;
    int height = 0;
    // The planes themselves, rows `strides` apart, when they are already so...
    const std::uint8_t* planes[3] = {};
    int strides[3] = {};
    // ...or else (planes[0] null) what makes their rows: row `y` of `plane`, PaddedWidth samples, into
    // `out`. Rows are made as the encoder takes them, so a deep or limited-range picture never has a
    // whole converted copy.
    std::function<void(int plane, int y, std::uint8_t* out)> makeRow;

    static constexpr int PaddedWidth(int plane, int width)
    {
        const int whole = (width + 1) & ~1;
        return plane == 0 ? whole : whole / 2;
    }
    static constexpr int PaddedHeight(int plane, int height) { return PaddedWidth(plane, height); }
};
