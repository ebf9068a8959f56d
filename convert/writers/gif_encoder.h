#pragma once

#include "convert/writers/image_encoder.h"

// A single-image GIF: a frame of at most 256 colours is written exactly; otherwise libimagequant
// builds a palette of 256 colours from the frame and maps the frame onto it with half-strength
// error-diffusion dithering. giflib writes the result. The quality does not apply.
class GifEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
};
