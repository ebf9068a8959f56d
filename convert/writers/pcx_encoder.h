#pragma once

#include "convert/writers/image_encoder.h"

// A ZSoft PCX file, version 5, 24-bit as three 8-bit planes (red, green, blue) per scanline, top row
// first, each plane line run-length encoded on its own. The quality does not apply.
class PcxEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
