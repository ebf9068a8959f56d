#include "convert/writers/png_encoder.h"

#include "common/failure.h"
#include "convert/writers/frame_check.h"
#include "convert/writers/huffman_zlib.h"
#include "convert/writers/png_filter_rows.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kTrueColour = 2;
// A chunk's length field holds at most 2^31 - 1.
constexpr std::size_t kMaxChunkData = 0x7FFFFFFF;
// Every eighth row is counted: on video frames a sample that size shapes the code within 0.4 % of
// the size that counting every row gives, for an eighth of the counting.
constexpr std::size_t kCountedPngRowEvery = 8;

void StoreU32BE(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

void AppendU32BE(FileBytes& out, std::uint32_t value)
{
    out.resize(out.size() + 4);
    StoreU32BE(out.data() + out.size() - 4, value);
}

// A chunk is its data's length, its type, its data and a CRC of type and data. Begin leaves room
// for the length; End fills it in and appends the CRC over what was appended in between.
std::size_t BeginChunk(FileBytes& out, const char (&type)[5])
{
    const std::size_t start = out.size();
    AppendU32BE(out, 0);
    out.insert(out.end(), type, type + 4);
    return start;
}

void EndChunk(FileBytes& out, std::size_t start)
{
    const std::size_t length = out.size() - start - 8;
    if (length > kMaxChunkData)
        throw Failure(Failure::kInvalidArgument, QStringLiteral("The image is too large for a PNG file."));
    StoreU32BE(out.data() + start, static_cast<std::uint32_t>(length));
    AppendU32BE(out, libdeflate_crc32(0, out.data() + start + 4, length + 4));
}

void AppendPngHeader(FileBytes& out, int width, int height)
{
    out.insert(out.end(), std::begin(kSignature), std::end(kSignature));
    const std::size_t header = BeginChunk(out, "IHDR");
    AppendU32BE(out, static_cast<std::uint32_t>(width));
    AppendU32BE(out, static_cast<std::uint32_t>(height));
    out.push_back(kBitDepth);
    out.push_back(kTrueColour);
    out.push_back(0);  // deflate
    out.push_back(0);  // adaptive filtering, one filter byte per row
    out.push_back(0);  // not interlaced
    EndChunk(out, header);
}

// The symbols of the sampled rows: their bytes, less the zeros their runs turn into copies.
SymbolCounts SampleCounts(const FilteredRows& rows, std::size_t rowBytes)
{
    // Residuals cluster on a few values, so one counter is often raised twice in a row, and each
    // time waits for the last: four tables, one for each byte of a group of four.
    std::array<ByteCounts, 4> tables{};
    const std::size_t stride = rowBytes + 1;
    const std::size_t height = rows.bytes.size() / stride;
    for (std::size_t y = 0; y < height; y += kCountedPngRowEvery) {
        const std::uint8_t* row = rows.bytes.data() + y * stride;
        std::size_t i = 0;
        for (; i + 4 <= stride; i += 4) {
            ++tables[0][row[i]];
            ++tables[1][row[i + 1]];
            ++tables[2][row[i + 2]];
            ++tables[3][row[i + 3]];
        }
        for (; i < stride; ++i)
            ++tables[0][row[i]];
    }
    SymbolCounts counts;
    for (int v = 0; v < 256; ++v)
        counts.literals[v] = tables[0][v] + tables[1][v] + tables[2][v] + tables[3][v];
    // The runs are in order: those of a sampled row are found by bisection.
    const auto runsFrom = [&](std::size_t offset) {
        return std::lower_bound(rows.zeroRuns.begin(), rows.zeroRuns.end(), offset,
            [](const ZeroRun& run, std::size_t at) { return run.start < at; });
    };
    for (std::size_t y = 0; y < height; y += kCountedPngRowEvery) {
        const auto first = runsFrom(y * stride);
        counts.CountRuns({first, runsFrom((y + 1) * stride)});
    }
    return counts;
}

void AppendImageData(FileBytes& out, const FilteredRows& rows, std::size_t rowBytes)
{
    thread_local BlockCode code;
    code.MakeFor(SampleCounts(rows, rowBytes));
    const std::size_t data = BeginChunk(out, "IDAT");
    AppendHuffmanZlib(rows.bytes, rows.zeroRuns, code, out);
    EndChunk(out, data);
}

}  // namespace

PngEncoder::PngEncoder(SimdLevel level) : level_(level)
{
    if (!CanRun(level))
        throw std::invalid_argument("This processor cannot run the vector instructions asked for.");
}

void PngEncoder::Encode(const PackedDib& frame, int /*quality*/, EncodedImage& out) const
{
    RequireBgr24Frame(frame);
    out.bytes.clear();
    out.tail = {};
    thread_local FilteredRows rows;
    FilterRows(frame, level_, rows);
    AppendPngHeader(out.bytes, frame.Width(), frame.Height());
    AppendImageData(out.bytes, rows, static_cast<std::size_t>(frame.Width()) * 3);
    EndChunk(out.bytes, BeginChunk(out.bytes, "IEND"));
}
