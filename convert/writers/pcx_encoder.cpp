#include "convert/writers/pcx_encoder.h"

#include "convert/writers/frame_check.h"
#include "convert/writers/little_endian.h"

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr int kMaxRun = 63;
constexpr std::uint8_t kRunMarker = 0xC0;
// Bytes per plane line is a 16-bit field and must be even, so the widest line is 65534 bytes.
constexpr int kPcxSideLimit = 65534;
constexpr std::uint16_t kDotsPerInch = 72;

// Plane lines are padded to an even length, as the format requires.
std::size_t BytesPerPlaneLine(int width) { return (static_cast<std::size_t>(width) + 1) & ~std::size_t{1}; }

void AppendPcxHeader(FileBytes& out, int width, int height)
{
    out.push_back(0x0A);  // ZSoft
    out.push_back(5);  // version 3.0 and later, the one with 24-bit images
    out.push_back(1);  // run-length encoding
    out.push_back(8);  // bits per pixel per plane
    AppendU16LE(out, 0);  // x min
    AppendU16LE(out, 0);  // y min
    AppendU16LE(out, static_cast<std::uint16_t>(width - 1));  // x max, inclusive
    AppendU16LE(out, static_cast<std::uint16_t>(height - 1));  // y max, inclusive
    AppendU16LE(out, kDotsPerInch);
    AppendU16LE(out, kDotsPerInch);
    out.insert(out.end(), 48, 0);  // 16-colour palette, unused
    out.push_back(0);  // reserved
    out.push_back(3);  // planes
    AppendU16LE(out, static_cast<std::uint16_t>(BytesPerPlaneLine(width)));
    AppendU16LE(out, 1);  // palette information: colour
    out.resize(kHeaderSize, 0);  // screen size and filler
}

// Encodes one plane line. A run of equal bytes, or any single byte that could be taken for a run
// count (two top bits set), goes out as a count byte followed by the value.
std::uint8_t* EncodePlaneLine(const std::uint8_t* line, std::size_t length, std::uint8_t* out)
{
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t value = line[i];
        std::size_t run = 1;
        while (i + run < length && run < kMaxRun && line[i + run] == value)
            ++run;
        if (run > 1 || value >= kRunMarker)
            *out++ = static_cast<std::uint8_t>(kRunMarker | run);
        *out++ = value;
        i += run;
    }
    return out;
}

}  // namespace

void PcxEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    RequireBgr24Frame(frame, kPcxSideLimit);
    const int width = frame.Width();
    const std::size_t lineLength = BytesPerPlaneLine(width);
    out.bytes.clear();
    out.tail = {};
    AppendPcxHeader(out.bytes, width, frame.Height());

    // Room for the worst case, two bytes for every byte, then cut to what was written.
    out.bytes.resize(kHeaderSize + 2 * 3 * lineLength * static_cast<std::size_t>(frame.Height()));
    std::uint8_t* const start = out.bytes.data();
    std::uint8_t* end = start + kHeaderSize;
    std::vector<std::uint8_t> plane(lineLength, 0);  // the pad byte, if any, stays 0
    for (int y = 0; y < frame.Height(); ++y) {
        const std::uint8_t* bgr = frame.TopDownRow(y);
        for (int channel = 2; channel >= 0; --channel) {  // red, green, blue from B, G, R
            for (int x = 0; x < width; ++x)
                plane[static_cast<std::size_t>(x)] = bgr[3 * x + channel];
            end = EncodePlaneLine(plane.data(), lineLength, end);
        }
    }
    out.bytes.resize(static_cast<std::size_t>(end - start));
}
