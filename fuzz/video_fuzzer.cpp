// Arbitrary bytes as a video file of any container: opened by the frame source, its first frames turned
// upright into bitmaps and encoded to BMP and JPG in memory, as one conversion does; then a selection of
// frames the last bytes choose (a rule, a range, a shaping), read as a run reads it, seeking where the
// index allows. Any crash, leak, undefined behaviour or hang here is a fault of ours or of how we drive
// FFmpeg; so is a selected picture unlike a decode from the start at its position, on a file whose
// decode met no damage.
#include "common/failure.h"
#include "convert/source/selected_frames.h"
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

#include <QCryptographicHash>

#include <algorithm>
#include <cstdlib>
#include <map>
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

// The selection the input's last four bytes ask for: a rule, its n or s, and a range of whole and
// half seconds.
FrameSelection SelectionOf(const std::uint8_t* data, std::size_t size)
{
    const auto byte = [&](std::size_t fromEnd) { return size > fromEnd ? data[size - 1 - fromEnd] : std::uint8_t{0}; };
    FrameSelection selection;
    selection.rule = static_cast<FrameSelection::Rule>(byte(0) % 5);
    selection.count = 1 + byte(1) % 9;
    selection.interval = Seconds{(1 + byte(1)) * 20'000'000LL};
    if (byte(2) & 0x80)
        selection.from = Seconds{(byte(2) & 0x0f) * 500'000'000LL};
    if (byte(3) & 0x80)
        selection.to = Seconds{(selection.from ? selection.from->nanoseconds : 0) + (1 + (byte(3) & 0x0f)) * 500'000'000LL};
    return selection;
}

QByteArray Digest(const DecodedPicture& picture)
{
    try {
        const PackedDib dib = picture.ToPackedDib();
        return QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(dib.Pixels().data()), qsizetype(dib.Pixels().size())),
            QCryptographicHash::Md5);
    } catch (const std::runtime_error&) {
        return QByteArrayLiteral("no bitmap");
    }
}

// The shaping the input's fifth byte from the end asks for: deinterlacing, square pixels, a size.
PictureLook LookOf(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t byte = size > 4 ? data[size - 5] : 0;
    PictureLook look;
    look.shape.deinterlace = byte & 1;
    look.shape.squarePixels = byte & 2;
    look.shape.fitWidth = byte & 4 ? 1 + (byte >> 3) : 0;
    return look;
}

// A selection read as a run reads it, seeking where the index allows, then held to a decode from the
// start on one thread.
void ConvertSelection(const QString& path, const FrameSelection& selection, const PictureLook& look)
{
    constexpr int kMostSelected = 8;
    SelectedFrames frames;
    if (frames.Open(path, DecoderThreading{1}, 2, look, selection) != VideoFrameSource::Status::Ok)
        return;
    frames.KeepFirst(kMostSelected);
    std::map<std::int64_t, QByteArray> selected;
    while (const std::optional<SelectedFrames::Frame> frame = frames.Next())
        selected[frame->position] = frame->picture ? Digest(*frame->picture) : QByteArray();
    VideoFrameSource fromStart;
    if (fromStart.Open(path, DecoderThreading{1}, look) != VideoFrameSource::Status::Ok)
        return;
    for (const auto& [position, digest] : selected) {
        const std::shared_ptr<const DecodedPicture> picture = fromStart.PictureAt(static_cast<std::int32_t>(position));
        const QByteArray expected = picture ? Digest(*picture) : QByteArray();
        // Damage that lies outside what a sparse reading decodes may move the positions after it:
        // only a decode of it all can tell, and that is the price sparse reading saves.
        if (digest != expected && !fromStart.MetDamage())
            std::abort();
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
    source.Release();
    ConvertSelection(input.Path(), SelectionOf(data, size), LookOf(data, size));
    return 0;
}
