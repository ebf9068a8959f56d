#include "convert/writers/huffman_zlib.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kLiteralCodes = 257 + kCopyLengthCodes;  // byte values, end of block, copy lengths
constexpr int kEndOfBlock = 256;
constexpr int kFirstLengthCode = 257;
// Copies only ever reach back one byte (distance code 0); a block must still declare a complete
// distance code, so there are two, of one bit each.
constexpr int kDistanceCodes = 2;
constexpr std::uint32_t kDistanceOneCode = 0;
constexpr int kDistanceCodeLength = 1;
constexpr std::size_t kShortestCopy = 3;
// Two pairs of codes of at most 13 bits plus 7 pending bits fit the 64-bit bit buffer, so the data
// loop flushes once per four bytes; a pair's code and length fit 32 bits, and so does a whole copy
// (13 bits of length code, 5 extra bits, 1 bit of distance). Frames seldom need longer codes.
constexpr int kMaxCodeLength = 13;
constexpr int kLengthShift = 26;
// Code lengths are sent with a plain 4-bit code for each of the values 0 to 15; the three repeat
// codes of the code-length alphabet are left out.
constexpr int kCodeLengthBits = 4;
constexpr int kCodeLengthCodes = 19;
constexpr std::array<int, kCodeLengthCodes> kCodeLengthOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr std::uint64_t kBlockHeaderBits = 3 + 5 + 5 + 4 + 3 * kCodeLengthCodes + kCodeLengthBits * (kLiteralCodes + kDistanceCodes);

// Deflate, 32 KiB window, fastest level; the header's check bits make 0x7801 a multiple of 31.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};
constexpr std::size_t kAdlerBytes = 4;
constexpr std::size_t kBitWriterSlack = 8;  // the bit writer stores 8 bytes at a time

using Counts = std::array<std::uint32_t, kLiteralCodes>;
using Lengths = std::array<std::uint8_t, kLiteralCodes>;

// Every symbol counts at least once, so every symbol has a code.
Counts CountsOfEverySymbol(const SymbolCounts& symbols)
{
    Counts counts{};
    for (int v = 0; v < 256; ++v)
        counts[v] = symbols.literals[v] + 1;
    counts[kEndOfBlock] = 1;
    for (int i = 0; i < kCopyLengthCodes; ++i)
        counts[kFirstLengthCode + i] = symbols.copyLengths[i] + 1;
    return counts;
}

// The copy lengths each length code stands for: from `base`, told apart by `extraBits` more bits.
struct LengthBand {
    std::uint16_t base;
    std::uint8_t extraBits;
};
constexpr std::array<LengthBand, kCopyLengthCodes> kLengthBands{{{3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0},
    {9, 0}, {10, 0}, {11, 1}, {13, 1}, {15, 1}, {17, 1}, {19, 2}, {23, 2}, {27, 2}, {31, 2}, {35, 3}, {43, 3},
    {51, 3}, {59, 3}, {67, 4}, {83, 4}, {99, 4}, {115, 4}, {131, 5}, {163, 5}, {195, 5}, {227, 5}, {258, 0}}};

// The band of every copy length, 0 to 258 (below 3 unused).
constexpr std::array<std::uint8_t, kLongestCopy + 1> kLengthBandOf = [] {
    std::array<std::uint8_t, kLongestCopy + 1> bands{};
    int band = 0;
    for (std::size_t length = kShortestCopy; length <= kLongestCopy; ++length) {
        while (band + 1 < kCopyLengthCodes && kLengthBands[band + 1].base <= length)
            ++band;
        bands[length] = static_cast<std::uint8_t>(band);
    }
    return bands;
}();

// A run of zeros goes out as one literal zero, then copies of the byte before of 3 to 258 bytes
// each, then up to two literal zeros that no copy can take. Calls `copy` with each copy's length;
// returns how many zeros end the run as literals.
template <class Copy>
std::size_t SplitRun(std::size_t length, Copy&& copy)
{
    std::size_t rest = length - 1;
    while (rest >= kShortestCopy) {
        std::size_t part = std::min(rest, kLongestCopy);
        if (rest - part != 0 && rest - part < kShortestCopy)
            part = rest - kShortestCopy;  // leave the next copy enough
        copy(part);
        rest -= part;
    }
    return rest;
}

// Moffat and Katajainen's in-place minimum-redundancy code: `a` holds `n` weights in ascending
// order and is left holding their code lengths, longest first.
void MinimumRedundancyLengths(std::uint32_t* a, int n)
{
    if (n == 1) {
        a[0] = 1;
        return;
    }
    // First pass: build the tree in place, leaving parent indices.
    a[0] += a[1];
    int root = 0;
    int leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || a[root] < a[leaf]) {
            a[next] = a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] = a[leaf++];
        }
        if (leaf >= n || (root < next && a[root] < a[leaf])) {
            a[next] += a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] += a[leaf++];
        }
    }
    // Second pass: depths of the internal nodes.
    a[n - 2] = 0;
    for (int next = n - 3; next >= 0; --next)
        a[next] = a[a[next]] + 1;
    // Third pass: depths of the leaves.
    int available = 1;
    int used = 0;
    std::uint32_t depth = 0;
    root = n - 2;
    int next = n - 1;
    while (available > 0) {
        while (root >= 0 && a[root] == depth) {
            ++used;
            --root;
        }
        while (available > used) {
            a[next--] = depth;
            --available;
        }
        available = 2 * used;
        ++depth;
        used = 0;
    }
}

// Code lengths of at most kMaxCodeLength bits for the symbols that occur. When the best code is
// deeper, the counts are flattened and the code made again: that converges to equal lengths.
Lengths CodeLengths(Counts counts)
{
    std::array<std::uint64_t, kLiteralCodes> keys{};  // count above, symbol below: sorts by count
    std::array<std::uint32_t, kLiteralCodes> weights{};
    for (;;) {
        int used = 0;
        for (int symbol = 0; symbol < kLiteralCodes; ++symbol) {
            if (counts[symbol] != 0)
                keys[used++] = (std::uint64_t{counts[symbol]} << 16) | static_cast<std::uint64_t>(symbol);
        }
        std::sort(keys.begin(), keys.begin() + used);
        for (int i = 0; i < used; ++i)
            weights[i] = static_cast<std::uint32_t>(keys[i] >> 16);
        MinimumRedundancyLengths(weights.data(), used);
        if (weights[0] <= kMaxCodeLength) {
            Lengths lengths{};
            for (int i = 0; i < used; ++i)
                lengths[keys[i] & 0xFFFF] = static_cast<std::uint8_t>(weights[i]);
            return lengths;
        }
        for (std::uint32_t& count : counts) {
            if (count != 0)
                count = (count >> 1) | 1;
        }
    }
}

std::uint32_t Reversed(std::uint32_t code, int length)
{
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return reversed;
}

// Each symbol's canonical code, bit-reversed because deflate sends a code's top bit first while
// the bit buffer fills from the bottom, with its length above.
void FillCodeTable(const Lengths& lengths, std::array<std::uint32_t, kLiteralCodes>& table)
{
    std::array<int, kMaxCodeLength + 1> perLength{};
    for (const std::uint8_t length : lengths)
        ++perLength[length];
    perLength[0] = 0;
    std::array<std::uint32_t, kMaxCodeLength + 1> nextCode{};
    std::uint32_t code = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        code = (code + static_cast<std::uint32_t>(perLength[length - 1])) << 1;
        nextCode[length] = code;
    }
    for (int symbol = 0; symbol < kLiteralCodes; ++symbol) {
        const int length = lengths[symbol];
        table[symbol] = Reversed(nextCode[length]++, length) | (static_cast<std::uint32_t>(length) << kLengthShift);
    }
}

std::uint32_t CodeBits(std::uint32_t entry) { return entry & ((1u << kLengthShift) - 1); }
int CodeLength(std::uint32_t entry) { return static_cast<int>(entry >> kLengthShift); }

// Writes bits least significant first. Put may be called for up to 57 bits between flushes.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out) : out_(out) {}

    void Put(std::uint64_t bits, int count)
    {
        buffer_ |= bits << pending_;
        pending_ += count;
    }
    void PutCode(std::uint32_t entry) { Put(CodeBits(entry), CodeLength(entry)); }
    // Stores the whole bytes; up to 7 bits stay pending.
    void Flush()
    {
        std::memcpy(out_, &buffer_, sizeof buffer_);
        out_ += pending_ >> 3;
        buffer_ >>= pending_ & ~7;
        pending_ &= 7;
    }
    // Stores the last partial byte, padded with zeros; returns the end of the output.
    std::uint8_t* Finish()
    {
        Flush();
        if (pending_ != 0)
            *out_++ = static_cast<std::uint8_t>(buffer_);
        return out_;
    }

private:
    std::uint8_t* out_;
    std::uint64_t buffer_ = 0;
    int pending_ = 0;
};

void WriteBlockHeader(BitWriter& bits, const Lengths& lengths)
{
    bits.Put(1, 1);  // final block
    bits.Put(2, 2);  // dynamic Huffman codes
    bits.Put(kLiteralCodes - 257, 5);
    bits.Put(kDistanceCodes - 1, 5);
    bits.Put(kCodeLengthCodes - 4, 4);
    bits.Flush();
    for (const int symbol : kCodeLengthOrder) {
        bits.Put(symbol < 16 ? kCodeLengthBits : 0, 3);
        bits.Flush();
    }
    // With every value 0 to 15 at 4 bits, each value's canonical code is the value itself.
    for (const std::uint8_t length : lengths) {
        bits.Put(Reversed(length, kCodeLengthBits), kCodeLengthBits);
        bits.Flush();
    }
    for (int i = 0; i < kDistanceCodes; ++i) {
        bits.Put(Reversed(1, kCodeLengthBits), kCodeLengthBits);
        bits.Flush();
    }
}

void WriteLiterals(BitWriter& bits, const std::uint8_t* p, const std::uint8_t* end, const std::uint32_t* singles,
    const std::uint32_t* pairs)
{
    for (; end - p >= 4; p += 4) {
        // The two pairs are joined before they reach the bit buffer, so that only one step a group
        // waits for the buffer's fill level.
        const std::uint32_t first = pairs[p[0] | (p[1] << 8)];
        const std::uint32_t second = pairs[p[2] | (p[3] << 8)];
        const int firstLength = CodeLength(first);
        bits.Put(CodeBits(first) | (std::uint64_t{CodeBits(second)} << firstLength), firstLength + CodeLength(second));
        bits.Flush();
    }
    // Up to three more codes fit before a flush.
    for (; p < end; ++p)
        bits.PutCode(singles[*p]);
    bits.Flush();
}

// The run's first zero and, for all but very long runs, its one copy fit before a flush.
void WriteRun(BitWriter& bits, std::size_t length, const std::uint32_t* singles, const std::uint32_t* copies)
{
    bits.PutCode(singles[0]);
    const std::size_t trailingZeros = SplitRun(length, [&](std::size_t copy) {
        bits.PutCode(copies[copy]);
        bits.Flush();
    });
    for (std::size_t i = 0; i < trailingZeros; ++i)
        bits.PutCode(singles[0]);
    bits.Flush();
}

// The block's data: literals, and each zero run as a zero and copies. The writer comes and goes by
// value and each helper is called once, so that it all is one loop whose writer stays in registers:
// a writer in memory could be the bytes it stores, and would be written back and loaded again at
// every step.
BitWriter WriteSymbols(BitWriter bits, std::span<const std::uint8_t> data, std::span<const ZeroRun> zeroRuns,
    const std::uint32_t* singles, const std::uint32_t* pairs, const std::uint32_t* copies)
{
    const std::uint8_t* p = data.data();
    for (std::size_t run = 0;; ++run) {
        const std::size_t literalsEnd = run < zeroRuns.size() ? zeroRuns[run].start : data.size();
        WriteLiterals(bits, p, data.data() + literalsEnd, singles, pairs);
        if (run == zeroRuns.size())
            return bits;
        WriteRun(bits, zeroRuns[run].length, singles, copies);
        p = data.data() + literalsEnd + zeroRuns[run].length;
    }
}

}  // namespace

void SymbolCounts::CountRuns(std::span<const ZeroRun> runs)
{
    for (const ZeroRun& run : runs) {
        const std::size_t trailingZeros = SplitRun(run.length, [&](std::size_t copy) { ++copyLengths[kLengthBandOf[copy]]; });
        literals[0] -= static_cast<std::uint32_t>(run.length - 1 - trailingZeros);
    }
}

void BlockCode::MakeFor(const SymbolCounts& counts)
{
    lengths_ = CodeLengths(CountsOfEverySymbol(counts));
    FillCodeTable(lengths_, singles_);
    pairs_.resize(256 * 256);
    for (int second = 0; second < 256; ++second) {
        const std::uint32_t code = CodeBits(singles_[second]);
        const int length = CodeLength(singles_[second]);
        std::uint32_t* row = pairs_.data() + second * 256;
        for (int first = 0; first < 256; ++first) {
            const int firstLength = CodeLength(singles_[first]);
            row[first] = (CodeBits(singles_[first]) | (code << firstLength))
                | (static_cast<std::uint32_t>(firstLength + length) << kLengthShift);
        }
    }
    for (std::size_t copy = kShortestCopy; copy <= kLongestCopy; ++copy) {
        const int index = kLengthBandOf[copy];
        const std::uint32_t lengthCode = singles_[kFirstLengthCode + index];
        const int extraBits = kLengthBands[index].extraBits;
        const int bits = CodeLength(lengthCode) + extraBits + kDistanceCodeLength;
        copies_[copy] = CodeBits(lengthCode) | (static_cast<std::uint32_t>(copy - kLengthBands[index].base) << CodeLength(lengthCode))
            | (kDistanceOneCode << (CodeLength(lengthCode) + extraBits)) | (static_cast<std::uint32_t>(bits) << kLengthShift);
    }
}

void AppendHuffmanZlib(std::span<const std::uint8_t> data, std::span<const ZeroRun> zeroRuns, const BlockCode& code,
    FileBytes& out)
{
    // At most the longest code for every byte (a copy costs less than literals for its bytes); the
    // output is cut to what was written.
    const std::uint64_t blockBits = kBlockHeaderBits + (std::uint64_t{data.size()} + 1) * kMaxCodeLength;
    const auto blockBytes = static_cast<std::size_t>((blockBits + 7) / 8);

    const std::size_t start = out.size();
    out.resize(start + sizeof kZlibHeader + blockBytes + kBitWriterSlack);
    std::uint8_t* const header = out.data() + start;
    std::memcpy(header, kZlibHeader, sizeof kZlibHeader);
    BitWriter bits(header + sizeof kZlibHeader);
    WriteBlockHeader(bits, code.lengths_);
    bits = WriteSymbols(bits, data, zeroRuns, code.singles_.data(), code.pairs_.data(), code.copies_.data());
    bits.PutCode(code.singles_[kEndOfBlock]);
    std::uint8_t* const blockEnd = bits.Finish();

    const std::uint32_t adler = libdeflate_adler32(1, data.data(), data.size());
    const std::size_t end = static_cast<std::size_t>(blockEnd - out.data());
    out.resize(end + kAdlerBytes);
    for (std::size_t i = 0; i < kAdlerBytes; ++i)
        out[end + i] = static_cast<std::uint8_t>(adler >> (24 - 8 * i));
}
