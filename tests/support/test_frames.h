#pragma once

#include "convert/picture/packed_dib.h"

#include <QByteArray>

#include <cstdint>

// Test pictures laid out as the frame source hands frames out: bottom-up BGR rows padded to 4 bytes.
// The padding bytes hold junk, so an encoder that takes them for pixels shows in the picture.

// 24-pixel tiles in turn: sharp-edged blocks of saturated colour (with runs), smooth gradients, and
// gradients with grain (no two neighbours alike, every byte value). Fixed for a given seed.
PackedDib ColourfulFrame(int width, int height, std::uint32_t seed = 1);

// A picture like a video frame: smooth colour fields with light grain, and a few large saturated
// shapes with sharp edges at odd places. Fixed for a given seed.
PackedDib VideoLikeFrame(int width, int height, std::uint32_t seed = 1);

// One colour everywhere: rows that are one long run.
PackedDib FlatFrame(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red);

// The frame's picture as top-down BGR rows without padding, the layout the decoders answer in.
QByteArray TopDownBgr(const PackedDib& frame);
