#pragma once

#include "convert/image_encoder.h"

// A 24-bit RGB TIFF through libtiff, written to memory, deflate-compressed with the horizontal
// predictor (lossless). The quality does not apply.
class TiffEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
