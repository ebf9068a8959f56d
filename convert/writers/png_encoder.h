#pragma once

#include "convert/image_encoder.h"

// Lossless 24-bit RGB PNG through libpng. libpng reads the frame's rows in place, top row first,
// and swaps BGR to RGB itself. The quality does not apply: the output is always lossless and the
// compression effort is fixed, chosen for speed at a size close to what common encoders make.
class PngEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
