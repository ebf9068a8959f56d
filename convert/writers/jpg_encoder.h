#pragma once

#include "convert/writers/image_encoder.h"

// JPEG through libjpeg-turbo's TurboJPEG API, straight from the frame's bottom-up BGR rows,
// 4:2:0 chroma subsampling, at the given quality (1 to 100, the usual JPEG scale).
class JpgEncoder final : public ImageEncoder {
public:
    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;
    // The same from 4:2:0 planes in JPEG's colours, which is how most video is decoded, the same bytes
    // TurboJPEG makes from them. Planes must be padded as JpegPlanes says: the picture rounded up to
    // whole subsampling blocks.
    static void EncodePlanes(const JpegPlanes& picture, int quality, EncodedImage& out);
};
