#include "convert/writers/tga_encoder.h"

#include "convert/writers/frame_check.h"
#include "convert/writers/little_endian.h"

#include <cstring>
#include <string_view>

namespace {

constexpr std::uint8_t kRunLengthTrueColor = 10;
constexpr int kTgaSideLimit = 65535;
constexpr int kMaxPacketPixels = 128;
constexpr std::uint8_t kRunPacket = 0x80;
// Image descriptor: origin at the top left, no alpha bits. Bottom-left files, though the format's
// default, come out upside down in some readers (ImageMagick 6 keeps the rows as stored).
constexpr std::uint8_t kTopLeftOrigin = 0x20;
// The TGA 2.0 footer: no extension area, no developer area, then the signature with its NUL.
constexpr std::string_view kFooterSignature{"TRUEVISION-XFILE.\0", 18};

bool SamePixel(const std::uint8_t* a, const std::uint8_t* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// Encodes one row of `width` BGR pixels at `out`; answers the end of what it wrote. Packets never
// cross rows, as the format asks. Two or more equal pixels become a run packet, anything else goes
// out raw.
std::uint8_t* EncodeRow(const std::uint8_t* row, int width, std::uint8_t* out)
{
    int x = 0;
    while (x < width) {
        const std::uint8_t* first = row + 3 * x;
        int count = 1;
        while (x + count < width && count < kMaxPacketPixels && SamePixel(first, row + 3 * (x + count)))
            ++count;
        if (count == 1) {
            // A raw packet: take pixels until a run starts or the packet is full.
            while (x + count < width && count < kMaxPacketPixels
                && !(x + count + 1 < width && SamePixel(row + 3 * (x + count), row + 3 * (x + count + 1))))
                ++count;
            *out++ = static_cast<std::uint8_t>(count - 1);
            std::memcpy(out, first, static_cast<std::size_t>(3 * count));
            out += 3 * count;
        } else {
            *out++ = static_cast<std::uint8_t>(kRunPacket | (count - 1));
            std::memcpy(out, first, 3);
            out += 3;
        }
        x += count;
    }
    return out;
}

void AppendTgaHeader(FileBytes& out, int width, int height)
{
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(kRunLengthTrueColor);
    out.insert(out.end(), 5, 0);  // colour map first entry, length and entry size, unused
    AppendU16LE(out, 0);  // x origin
    AppendU16LE(out, 0);  // y origin
    AppendU16LE(out, static_cast<std::uint16_t>(width));
    AppendU16LE(out, static_cast<std::uint16_t>(height));
    out.push_back(24);  // bits per pixel
    out.push_back(kTopLeftOrigin);
}

}  // namespace

void TgaEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    RequireBgr24Frame(frame, kTgaSideLimit);
    const int width = frame.Width();
    out.bytes.clear();
    out.tail = {};
    AppendTgaHeader(out.bytes, width, frame.Height());

    // Room for the worst case, every pixel raw, then cut to what was written.
    const std::size_t headerSize = out.bytes.size();
    const std::size_t worstRow = static_cast<std::size_t>(width) * 3 + static_cast<std::size_t>((width + kMaxPacketPixels - 1) / kMaxPacketPixels);
    out.bytes.resize(headerSize + worstRow * static_cast<std::size_t>(frame.Height()));
    std::uint8_t* const start = out.bytes.data();
    std::uint8_t* end = start + headerSize;
    for (int y = 0; y < frame.Height(); ++y)
        end = EncodeRow(frame.TopDownRow(y), width, end);
    out.bytes.resize(static_cast<std::size_t>(end - start));

    AppendU32LE(out.bytes, 0);  // extension area offset
    AppendU32LE(out.bytes, 0);  // developer area offset
    out.bytes.insert(out.bytes.end(), kFooterSignature.begin(), kFooterSignature.end());
}
