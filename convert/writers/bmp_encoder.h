#pragma once

#include "convert/writers/image_encoder.h"

// A Windows BMP file: the 14-byte file header made here, then the frame's own info header and rows,
// borrowed unchanged, so nothing of the picture is copied.
class BmpEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
