#pragma once

#include "convert/writers/image_encoder.h"
#include "common/simd_level.h"

// Lossless 24-bit RGB PNG made here from start to end: each row under the filter that suits it, then
// one deflate block of literals and runs of zeros under a Huffman code fitted to the picture. The
// quality does not apply: the output is always lossless and the effort fixed, chosen for speed at
// about the size common encoders make.
class PngEncoder final : public ImageEncoder {
public:
    // Filters with `level`'s instructions; the files are the same at every level.
    // Throws std::invalid_argument when this processor cannot run that level.
    explicit PngEncoder(SimdLevel level = FastestSimdLevel());

    void Encode(const PackedDib& frame, int quality, EncodedImage& out) const override;

private:
    SimdLevel level_;
};
