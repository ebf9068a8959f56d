#pragma once

#include "common/file_bytes.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// How often each byte value occurs in some data.
using ByteCounts = std::array<std::uint32_t, 256>;

// A Huffman code for byte literals, shaped by how often each value occurs in some data (every value
// gets a code, so it can code any data; it codes best the data it was made for).
class LiteralCode {
public:
    // Remakes the code for data with these counts, reusing this object's tables.
    void MakeFor(const ByteCounts& counts);

private:
    friend void AppendHuffmanZlib(std::span<const std::uint8_t>, const LiteralCode&, FileBytes&);

    std::array<std::uint8_t, 257> lengths_{};  // the 256 byte values, then the end of the block
    // Bit-reversed code in the low 26 bits, length above: one entry per byte, and one per pair of
    // bytes (first byte in the low 8 bits of the index), so the coder looks up two bytes at once.
    std::array<std::uint32_t, 257> singles_{};
    std::vector<std::uint32_t> pairs_;
};

// Appends to `out` a zlib stream of `data`: a single deflate block of literals only, under `code`.
// It never looks for repeats, so it runs several times faster than the fastest deflate level; on
// predicted video rows, which are mostly noise with few exact repeats, it costs a fifth to a third
// more bytes than that level. Any inflater reads it. Throws std::bad_alloc.
void AppendHuffmanZlib(std::span<const std::uint8_t> data, const LiteralCode& code, FileBytes& out);
