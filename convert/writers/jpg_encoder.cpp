#include "convert/writers/jpg_encoder.h"

#include "common/failure.h"
#include "convert/writers/frame_check.h"
#include "convert/writers/jpeg_planes_compressor.h"

#include <turbojpeg.h>

#include <memory>

namespace {

struct TjDestroy {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDestroy>;

[[noreturn]] void Fail(tjhandle handle)
{
    throw Failure(Failure::kInvalidArgument, QString::fromUtf8(tjGetErrorStr2(handle)));
}

// A compressor may not be shared between threads, and making one per picture costs more than
// encoding a small frame, so each encoding thread keeps its own for its lifetime.
tjhandle ThreadJpegCompressor()
{
    thread_local TjHandle compressor;
    if (!compressor) {
        compressor.reset(tjInitCompress());
        if (!compressor)
            Fail(nullptr);
    }
    return compressor.get();
}

// Compresses with `compress` into the reused buffer, sized for the worst case, so TurboJPEG never
// allocates its own.
template <class Compress>
void CompressInto(int width, int height, EncodedImage& out, Compress&& compress)
{
    tjhandle compressor = ThreadJpegCompressor();
    const unsigned long capacity = tjBufSize(width, height, TJSAMP_420);
    if (capacity == static_cast<unsigned long>(-1))
        Fail(nullptr);
    out.tail = {};
    out.bytes.resize(capacity);
    unsigned char* destination = out.bytes.data();
    unsigned long size = capacity;
    if (compress(compressor, &destination, &size) != 0)
        Fail(compressor);
    out.bytes.resize(size);
}

}  // namespace

void JpgEncoder::Encode(const PackedDib& frame, int quality, EncodedImage& out) const
{
    RequireBgr24Frame(frame);
    CompressInto(frame.Width(), frame.Height(), out, [&](tjhandle compressor, unsigned char** destination, unsigned long* size) {
        return tjCompress2(compressor, frame.Bits(), frame.Width(), static_cast<int>(frame.Stride()), frame.Height(),
            TJPF_BGR, destination, size, TJSAMP_420, quality, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC);
    });
}

void JpgEncoder::EncodePlanes(const JpegPlanes& picture, int quality, EncodedImage& out)
{
    out.tail = {};
    CompressJpegPlanes(picture, quality, out.bytes);
}
