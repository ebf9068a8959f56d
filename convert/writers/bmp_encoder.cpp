#include "convert/writers/bmp_encoder.h"

#include "common/failure.h"
#include "convert/writers/little_endian.h"

#include <limits>

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;

}  // namespace

void BmpEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    const ByteSpan dib = frame.Bytes();
    const std::uint64_t fileSize = kFileHeaderSize + static_cast<std::uint64_t>(dib.size());
    if (fileSize > std::numeric_limits<std::uint32_t>::max())
        throw Failure(Failure::kInvalidArgument, QStringLiteral("The frame is too large for a BMP file."));

    out.bytes.clear();
    out.bytes.push_back('B');
    out.bytes.push_back('M');
    AppendU32LE(out.bytes, static_cast<std::uint32_t>(fileSize));
    AppendU16LE(out.bytes, 0);  // reserved
    AppendU16LE(out.bytes, 0);  // reserved
    AppendU32LE(out.bytes, kFileHeaderSize + BitmapInfoHeader::kSize);  // the rows start right after the info header
    out.tail = dib;
}
