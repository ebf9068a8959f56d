#include "convert/run/frame_writer.h"

#include "convert/writers/image_encoder.h"

#include <optional>
#include <stdexcept>

bool WriteFrame(const DecodedPicture& picture, OutputFormat format, int quality, const QString& path)
{
    thread_local EncodedImage scratch;
    if (format == OutputFormat::JPG) {
        // Most video is already in the colours a JPEG holds: no round trip through RGB.
        if (const std::optional<JpegPlanes> planes = picture.ToJpegPlanes()) {
            WriteJpeg(*planes, quality, path, scratch);
            return true;
        }
    }
    // A bitmap of each encoding thread's own, kept from frame to frame: a large one costs more to map
    // afresh than to fill.
    thread_local PackedDib frame(1, 1);
    try {
        picture.ToPackedDib(frame);
    } catch (const std::runtime_error&) {
        return false;
    }
    WriteImage(frame, format, quality, path, scratch);
    return true;
}
