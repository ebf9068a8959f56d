// The zlib streams that TIFF strips and PNG image data are made of, inflated by zlib itself: every
// byte must come back, the checksum must hold, runs of zeros sent as copies must expand to exactly
// their length, and the code must stay valid when the data's statistics would call for codes longer
// than deflate allows.
#include "convert/writers/huffman_zlib.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Inflates a whole zlib stream; fails the test on any error zlib reports, a bad checksum included.
Bytes Inflate(const std::uint8_t* stream, std::size_t size, std::size_t expected)
{
    Bytes out(expected + 1);  // one spare byte, so that output beyond `expected` shows
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    z.next_in = const_cast<Bytef*>(stream);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    EXPECT_EQ(result, Z_STREAM_END) << (z.msg != nullptr ? z.msg : "no message");
    EXPECT_EQ(z.avail_in, 0u) << "bytes left after the end of the stream";
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// Every stretch of at least kShortestZeroRun zeros, found the plain way.
std::vector<ZeroRun> ZeroRunsOf(const Bytes& data)
{
    std::vector<ZeroRun> runs;
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t end = i;
        while (end < data.size() && data[end] == 0)
            ++end;
        if (end - i >= kShortestZeroRun)
            runs.push_back({i, end - i});
        i = end == i ? i + 1 : end;
    }
    return runs;
}

BlockCode CodeFor(const Bytes& data, const std::vector<ZeroRun>& runs = {})
{
    SymbolCounts counts;
    for (const std::uint8_t byte : data)
        ++counts.literals[byte];
    counts.CountRuns(runs);
    BlockCode code;
    code.MakeFor(counts);
    return code;
}

void ExpectRoundTrip(const Bytes& data, const std::string& what)
{
    SCOPED_TRACE(what);
    for (const bool withRuns : {false, true}) {
        SCOPED_TRACE(withRuns ? "zero runs as copies" : "literals only");
        const std::vector<ZeroRun> runs = withRuns ? ZeroRunsOf(data) : std::vector<ZeroRun>{};
        FileBytes stream = {'p', 'r', 'e'};  // what was there before must stay
        AppendHuffmanZlib(data, runs, CodeFor(data, runs), stream);
        ASSERT_GE(stream.size(), 3u);
        EXPECT_EQ(std::string(stream.begin(), stream.begin() + 3), "pre");
        EXPECT_EQ(Inflate(stream.data() + 3, stream.size() - 3, data.size()), data);
    }
}

// Noise with stretches of zeros of the given lengths between, the first at the very start and the
// last at the very end.
Bytes WithZeroStretches(const std::vector<std::size_t>& lengths, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes data;
    for (const std::size_t length : lengths) {
        data.insert(data.end(), length, 0);
        for (int i = 0; i < 5; ++i)
            data.push_back(static_cast<std::uint8_t>(1 + random() % 255));
    }
    data.insert(data.end(), 300, 0);
    return data;
}

Bytes RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes data(size);
    for (std::uint8_t& byte : data)
        byte = static_cast<std::uint8_t>(random());
    return data;
}

// Small signed differences around zero, as predicted video rows are.
Bytes ResidualLikeBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 4.0);
    Bytes data(size);
    for (std::uint8_t& byte : data)
        byte = static_cast<std::uint8_t>(static_cast<int>(std::lround(noise(random))));
    return data;
}

// Symbol k occurs Fibonacci(k) times: the best Huffman code for that is about 30 bits deep, twice
// what deflate can send.
Bytes FibonacciBytes()
{
    Bytes data;
    std::uint64_t previous = 1;
    std::uint64_t count = 1;
    for (int symbol = 0; symbol < 30; ++symbol) {
        data.insert(data.end(), count, static_cast<std::uint8_t>(symbol * 7));
        const std::uint64_t next = previous + count;
        previous = count;
        count = next;
    }
    std::shuffle(data.begin(), data.end(), std::mt19937(5));
    return data;
}

TEST(HuffmanZlib, InflatesToTheSameBytes)
{
    Bytes everyValue(256);
    for (int v = 0; v < 256; ++v)
        everyValue[v] = static_cast<std::uint8_t>(v);

    ExpectRoundTrip({}, "nothing");
    ExpectRoundTrip({0x41}, "one byte");
    ExpectRoundTrip({9, 9, 9}, "three bytes, one value");
    ExpectRoundTrip(Bytes(100000, 0), "one value repeated");
    ExpectRoundTrip({0, 255}, "two values");
    ExpectRoundTrip(everyValue, "every value once");
    ExpectRoundTrip(RandomBytes(1, 1), "one random byte");
    ExpectRoundTrip(RandomBytes(7, 2), "fewer bytes than one flush");
    ExpectRoundTrip(RandomBytes(123457, 3), "random, uneven length");
    ExpectRoundTrip(ResidualLikeBytes(640 * 3 * 64, 4), "a strip of residuals");
    ExpectRoundTrip(FibonacciBytes(), "counts that call for over-long codes");
    // Lengths around the shortest run and around whole numbers of the longest copy, where a run
    // must be split so that no piece falls below a copy's shortest length.
    ExpectRoundTrip(WithZeroStretches({6, 7, 8, 9, 10, 11, 12, 257, 258, 259, 260, 261, 262, 263, 264, 515, 516, 517,
                        518, 519, 520, 1000, 5, 4, 3, 2, 1},
                        9),
        "zero stretches of every awkward length");
    ExpectRoundTrip(WithZeroStretches({100000}, 10), "one very long zero stretch");
}

TEST(HuffmanZlib, ZeroRunsCostAlmostNothing)
{
    // Residuals of a picture with flat areas: half the bytes are zero stretches of 2000, which copies
    // carry for a few bits each, so the stream is about the size of the other half's alone.
    const Bytes residuals = ResidualLikeBytes(100000, 11);
    Bytes data;
    for (std::size_t at = 0; at < residuals.size(); at += 2000) {
        data.insert(data.end(), 2000, 0);
        data.insert(data.end(), residuals.begin() + static_cast<std::ptrdiff_t>(at),
            residuals.begin() + static_cast<std::ptrdiff_t>(at + 2000));
    }
    const std::vector<ZeroRun> runs = ZeroRunsOf(data);
    FileBytes copies;
    AppendHuffmanZlib(data, runs, CodeFor(data, runs), copies);
    EXPECT_EQ(Inflate(copies.data(), copies.size(), data.size()), data);
    FileBytes residualsAlone;
    AppendHuffmanZlib(residuals, ZeroRunsOf(residuals), CodeFor(residuals, ZeroRunsOf(residuals)), residualsAlone);
    EXPECT_LT(copies.size(), residualsAlone.size() * 103 / 100);
    FileBytes literals;
    AppendHuffmanZlib(data, {}, CodeFor(data), literals);
    EXPECT_LT(copies.size(), literals.size() * 85 / 100);
}

TEST(HuffmanZlib, SizeFollowsTheData)
{
    // Skewed data shrinks to near its entropy (about 4 bits a byte for this spread); data with no
    // skew grows by the block's header and a fraction of a percent.
    const Bytes residuals = ResidualLikeBytes(500000, 6);
    FileBytes stream;
    BlockCode code = CodeFor(residuals);
    AppendHuffmanZlib(residuals, {}, code, stream);
    EXPECT_LT(stream.size(), residuals.size() * 55 / 100);

    const Bytes noise = RandomBytes(500000, 7);
    stream.clear();
    code = CodeFor(noise);
    AppendHuffmanZlib(noise, {}, code, stream);
    EXPECT_LE(stream.size(), noise.size() * 1002 / 1000);

    const Bytes zeros(100000, 0);
    stream.clear();
    code = CodeFor(zeros);
    AppendHuffmanZlib(zeros, {}, code, stream);
    EXPECT_LT(stream.size(), 100000u / 8 + 200) << "one bit a byte at most for a single value";
}

TEST(HuffmanZlib, ACodeServesAnyData)
{
    // TIFF codes every strip with the code of the whole picture; a code also has to serve bytes
    // it was not made for.
    const Bytes picture = ResidualLikeBytes(100000, 8);
    BlockCode code = CodeFor(picture);
    for (std::size_t first = 0; first < picture.size(); first += 30001) {
        const Bytes strip(picture.begin() + first, picture.begin() + std::min(picture.size(), first + 30001));
        FileBytes stream;
        AppendHuffmanZlib(strip, {}, code, stream);
        EXPECT_EQ(Inflate(stream.data(), stream.size(), strip.size()), strip) << "strip at " << first;
    }
    Bytes everyValue(256);
    for (int v = 0; v < 256; ++v)
        everyValue[v] = static_cast<std::uint8_t>(v);
    code = CodeFor(Bytes(5000, 0));
    FileBytes stream;
    AppendHuffmanZlib(everyValue, {}, code, stream);
    EXPECT_EQ(Inflate(stream.data(), stream.size(), everyValue.size()), everyValue);
}

}  // namespace
