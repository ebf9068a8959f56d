#pragma once

#include "common/file_bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// How often each byte value occurs in some data.
using ByteCounts = std::array<std::uint32_t, 256>;

// A run of zero bytes in some data: its offset and its length, at least kShortestZeroRun.
struct ZeroRun {
    std::size_t start;
    std::size_t length;
};

// A run this long or longer is worth a copy: with the zero byte's code at 1 to 3 bits, five more
// zeros cost about what a copy's length code, extra bits and distance cost.
inline constexpr std::size_t kShortestZeroRun = 6;

// Deflate's length codes (257 to 285), one for each band of copy lengths, up to the longest copy.
inline constexpr int kCopyLengthCodes = 29;
inline constexpr std::size_t kLongestCopy = 258;

// How often each symbol of a block occurs: byte literals, and copies by length code.
struct SymbolCounts {
    ByteCounts literals{};
    std::array<std::uint32_t, kCopyLengthCodes> copyLengths{};

    // `literals` counted every byte of some data; these are that data's zero runs, most of whose
    // zeros are sent as copies instead.
    void CountRuns(std::span<const ZeroRun> runs);
};

// A Huffman code for one deflate block of byte literals and copies at distance 1, shaped by how
// often each symbol occurs in some data (every symbol gets a code, so it can code any data; it
// codes best the data it was made for).
class BlockCode {
public:
    // Remakes the code for data with these counts, reusing this object's tables.
    void MakeFor(const SymbolCounts& counts);

private:
    friend void AppendHuffmanZlib(std::span<const std::uint8_t>, std::span<const ZeroRun>, const BlockCode&, FileBytes&);

    static constexpr int kSymbols = 257 + kCopyLengthCodes;  // bytes, end of block, copy lengths

    std::array<std::uint8_t, kSymbols> lengths_{};
    // Bit-reversed code in the low 26 bits, length above: one entry per byte, and one per pair of
    // bytes (first byte in the low 8 bits of the index), so the coder looks up two bytes at once.
    std::array<std::uint32_t, kSymbols> singles_{};
    std::vector<std::uint32_t> pairs_;
    // The same for a whole copy of each length (3 to 258): length code, extra bits and distance.
    std::array<std::uint32_t, kLongestCopy + 1> copies_{};
};

// Appends to `out` a zlib stream of `data`: a single deflate block under `code`, of literals but for
// `zeroRuns` (in order, not overlapping, within `data`), which go out as a zero and copies of it.
// It never looks for other repeats, so it runs several times faster than the fastest deflate level;
// on predicted video rows, which are mostly noise with few exact repeats, it costs a fifth to a third
// more bytes than that level without the runs; with them, measured on PNG rows of video frames, from a
// tenth fewer to 3 % more than zlib's fastest level. Any inflater reads it. Throws std::bad_alloc.
void AppendHuffmanZlib(std::span<const std::uint8_t> data, std::span<const ZeroRun> zeroRuns, const BlockCode& code,
    FileBytes& out);
