#include "convert/run/frame_writer.h"

#include "convert/writers/image_encoder.h"

#include <optional>
#include <stdexcept>

namespace {

// A preview made by `make`, or none when it cannot be made (no memory for it): the file is written
// all the same.
template <class Make>
void KeepPreview(Make&& make, std::shared_ptr<const PackedDib>& preview)
{
    try {
        preview = std::make_shared<const PackedDib>(make());
    } catch (const std::exception&) {
        preview.reset();
    }
}

}  // namespace

bool WriteFrame(const DecodedPicture& picture, OutputFormat format, int quality, const QString& path,
    std::shared_ptr<const PackedDib>* preview)
{
    thread_local EncodedImage scratch;
    if (format == OutputFormat::JPG) {
        // Most video is already in the colours a JPEG holds: no round trip through RGB.
        if (const std::optional<JpegPlanes> planes = picture.ToJpegPlanes()) {
            WriteJpeg(*planes, quality, path, scratch);
            if (preview)
                KeepPreview([&] { return picture.ToPackedDib(); }, *preview);
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
    if (preview)
        KeepPreview([&] { return PackedDib::CopyOf(frame.Bytes().data(), frame.Header()); }, *preview);
    return true;
}
