#pragma once

#include "common/atomic_file.h"
#include "common/file_bytes.h"
#include "convert/picture/jpeg_planes.h"
#include "convert/writers/output_format.h"
#include "convert/picture/packed_dib.h"

#include <QString>

#include <cstdint>
#include <vector>

// A file image made in memory: `bytes`, then `tail` (bytes borrowed from the frame, for formats that
// store the frame's own rows unchanged, so they are not copied).
struct EncodedImage {
    FileBytes bytes;
    ByteSpan tail;
};

// One encoder per output format. Encoders keep no state, so one instance serves every thread.
class ImageEncoder {
public:
    virtual ~ImageEncoder() = default;
    // Replaces `out` with the whole file for `frame`. `quality` is 1 to 100 (only some formats use it).
    // Throws Failure carrying the encoder's own error text.
    virtual void Encode(const PackedDib& frame, int quality, EncodedImage& out) const = 0;
};

const ImageEncoder& EncoderFor(OutputFormat format);

// Encodes `frame` and publishes it at `path` whole or not at all. `scratch` is reused between calls.
// Throws Failure (code 5) with "Cannot save the image. " followed by the cause; FolderFailure when the
// cause lies with the output folder.
void WriteImage(const PackedDib& frame, OutputFormat format, int quality, const QString& path, EncodedImage& scratch);

// The same as WriteImage for a JPEG made straight from 4:2:0 planes in its own colours: no round trip through RGB.
void WriteJpeg(const JpegPlanes& picture, int quality, const QString& path, EncodedImage& scratch);
