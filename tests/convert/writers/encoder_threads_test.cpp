// Encoders keep no state: one instance encodes on many threads at once and each result is the
// same file it makes alone.
#include "convert/writers/image_encoder.h"
#include "image_test_files.h"
#include "support/test_frames.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<std::uint8_t> WholeFile(const EncodedImage& image)
{
    std::vector<std::uint8_t> bytes(image.bytes.begin(), image.bytes.end());
    bytes.insert(bytes.end(), image.tail.begin(), image.tail.end());
    return bytes;
}

class EncoderThreadsTest : public testing::TestWithParam<OutputFormat> {};

TEST_P(EncoderThreadsTest, GiveOnEveryThreadTheFileTheyGiveAlone)
{
    const std::vector<PackedDib> frames = [] {
        std::vector<PackedDib> made;
        for (std::uint32_t seed = 1; seed <= 4; ++seed)
            made.push_back(ColourfulFrame(97 + static_cast<int>(seed), 61, seed));
        return made;
    }();
    const ImageEncoder& encoder = EncoderFor(GetParam());
    std::vector<std::vector<std::uint8_t>> alone;
    for (const PackedDib& frame : frames) {
        EncodedImage image;
        encoder.Encode(frame, 75, image);
        alone.push_back(WholeFile(image));
    }

    constexpr int kThreads = 4;
    constexpr int kRounds = 6;
    std::vector<std::vector<std::vector<std::uint8_t>>> results(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                EncodedImage scratch;
                for (int round = 0; round < kRounds; ++round) {
                    encoder.Encode(frames[static_cast<std::size_t>((t + round) % 4)], 75, scratch);
                    results[static_cast<std::size_t>(t)].push_back(WholeFile(scratch));
                }
            });
        }
    }
    for (int t = 0; t < kThreads; ++t) {
        for (int round = 0; round < kRounds; ++round)
            EXPECT_TRUE(results[t][round] == alone[static_cast<std::size_t>((t + round) % 4)]) << "thread " << t << ", round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, EncoderThreadsTest, testing::ValuesIn(kAllOutputFormats),
    [](const auto& info) { return FormatName(info.param); });

}  // namespace
