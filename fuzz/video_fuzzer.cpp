// Arbitrary bytes as a video file of any container: opened by the frame source, its first frames turned
// upright into bitmaps and encoded to BMP and JPG in memory, as one conversion does. Any crash, leak, undefined behaviour or
// hang here is a fault of ours or of how we drive FFmpeg.
#include "common/failure.h"
#include "convert/source/video_frame_source.h"
#include "convert/picture/decoded_picture.h"
#include "convert/writers/fdib_pointer.h"
#include "convert/writers/image_encoder.h"
#include "convert/writers/jpg_encoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

// Enough frames to reach the decoder's reordering and the dropped-frame rule, few enough to stay fast.
constexpr int kFramesPerInput = 4;

// The file each input is written to, since the frame source reads files: memory-backed when the
// machine has /dev/shm, one per process (libFuzzer may run several side by side), removed at exit.
class InputFile {
public:
    InputFile()
    {
        const QString folder = QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        path_ = QDir(folder).filePath(QStringLiteral("stillpress-fuzz-%1.video").arg(QCoreApplication::applicationPid()));
    }
    ~InputFile() { QFile::remove(path_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const QString& Path() const { return path_; }

    void Write(const std::uint8_t* data, std::size_t size) const
    {
        QFile file(path_);
        const auto length = static_cast<qint64>(size);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char*>(data), length) != length)
            throw std::runtime_error("cannot write the fuzz input");
    }

private:
    QString path_;
};

// One frame as the run makes it, in memory: JPG straight from the decoder's planes where the picture
// allows, and the bitmap encoded to BMP and JPG. False when the picture has no usable bitmap.
bool EncodeFrame(const DecodedPicture& picture)
{
    EncodedImage image;
    try {
        if (const std::optional<JpegPlanes> planes = picture.ToJpegPlanes())
            JpgEncoder::EncodePlanes(*planes, 85, image);
        FDIBPointer dib;
        if (!dib.CreateFromPackedDib(std::make_shared<const PackedDib>(picture.ToPackedDib())))
            return false;
        for (OutputFormat format : {OutputFormat::BMP, OutputFormat::JPG})
            EncoderFor(format).Encode(*dib.Frame(), 85, image);
    } catch (const Failure&) {
        // An encoder that refuses a frame says so: an outcome, not a fault.
    } catch (const std::runtime_error&) {
        return false;  // a pixel format that cannot be converted: the run skips the frame
    }
    return true;
}

// The run's frame loop: positions from the start, skipping those without a picture, until the count the
// container announces, the source's end or enough frames.
void ConvertFirstFrames(VideoFrameSource& source)
{
    int converted = 0;
    const std::int32_t end = source.FrameCount().value_or(std::numeric_limits<std::int32_t>::max());
    for (std::int32_t position = source.StartPosition(); position < end && converted < kFramesPerInput; ++position) {
        const std::shared_ptr<const DecodedPicture> picture = source.PictureAt(position);
        if (!picture) {
            if (source.Exhausted())
                return;
            if (const std::optional<std::int64_t> first = source.FirstPicturePosition())
                position = static_cast<std::int32_t>(std::clamp<std::int64_t>(*first - 1, position, end - 1));
            continue;
        }
        if (EncodeFrame(*picture))
            ++converted;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const InputFile input;
    input.Write(data, size);
    VideoFrameSource source;
    if (source.Open(input.Path()) == VideoFrameSource::Status::Ok)
        ConvertFirstFrames(source);
    return 0;
}
