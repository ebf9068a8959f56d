#pragma once

#include "convert/writers/image_encoder.h"

// A Truevision TGA file, 24-bit truecolor (BGR, as the frame stores it), run-length encoded (image
// type 10), top row first. The quality does not apply.
class TgaEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
