#pragma once

#include "convert/image_encoder.h"

// Lossless 24-bit RGB PNG, filtered and laid out here and compressed with libdeflate. The quality
// does not apply: the output is always lossless and the compression effort is fixed, chosen for
// speed at a size below what common encoders make.
class PngEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
