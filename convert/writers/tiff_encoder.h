#pragma once

#include "convert/writers/image_encoder.h"

// A 24-bit RGB TIFF, deflate-compressed with the horizontal predictor (lossless), made in memory:
// the strips are compressed here and libtiff lays out the file. The quality does not apply.
class TiffEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
