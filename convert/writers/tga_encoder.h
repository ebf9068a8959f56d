#pragma once

#include "convert/image_encoder.h"

// A Truevision TGA file, 24-bit truecolor, run-length encoded (image type 10), origin at the bottom
// left: the frame's bottom-up BGR rows are exactly TGA's pixel order. The quality does not apply.
class TgaEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
