// Frame limits, output names and the frame bitmap's refusals: the small rules the run is made of.
#include "convert/writers/fdib_pointer.h"
#include "convert/run/frame_limit.h"
#include "convert/writers/output_format.h"
#include "convert/run/output_stems.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FrameLimit, ChoicesSetTheLimitByExactText)
{
    const QStringList choices = FrameLimit::Choices();
    ASSERT_EQ(choices.size(), 5);
    EXPECT_EQ(FrameLimit::ForChoice("Save every frame in AVI as JPG", 250, 7), 250);
    EXPECT_EQ(FrameLimit::ForChoice("Save every 10 frames in AVI as JPG", 250, 7), 10);
    EXPECT_EQ(FrameLimit::ForChoice("Save every 100 frames in AVI as JPG", 250, 7), 100);
    EXPECT_EQ(FrameLimit::ForChoice("Save every 1000 frames in AVI as JPG", 250, 7), 1000);
    EXPECT_EQ(FrameLimit::ForChoice("Save every x frames in AVI as JPG", 250, 7), 7);
    EXPECT_EQ(FrameLimit::ForChoice("save every 10 frames in avi as jpg", 250, 7), 7);
    EXPECT_EQ(choices[4], FrameLimit::kEveryX);
}

TEST(FrameLimit, AnswersRoundHalvesToEven)
{
    const std::pair<const char*, std::int32_t> cases[] = {{"10", 10}, {"2.5", 2}, {"3.5", 4}, {"0.5", 0}, {"-2.5", -2},
        {"  12  ", 12}, {"+7", 7}, {"1e2", 100}, {"2.5E1", 25}, {".75", 1}, {"", 0}, {"abc", 0}, {"1,5", 0},
        {"0x10", 0}, {"12abc", 0}, {"1e20", std::numeric_limits<std::int32_t>::max()}, {"-1e20", std::numeric_limits<std::int32_t>::min()}};
    for (const auto& [answer, limit] : cases)
        EXPECT_EQ(FrameLimit::FromAnswer(answer), limit) << answer;
}

TEST(OutputNames, FormatsAndStems)
{
    EXPECT_EQ(ExtensionOf(OutputFormat::TIFF), "tiff");
    EXPECT_EQ(OutputFormatFromNumber(7), OutputFormat::PCX);
    EXPECT_EQ(OutputFormatFromNumber(8), std::nullopt);
    EXPECT_EQ(OutputFormatFromName("JPG"), OutputFormat::JPG);
    EXPECT_EQ(OutputFormatFromName("jpeg"), std::nullopt);

    OutputStems stems;
    EXPECT_EQ(stems.Claim("clip"), "clip");
    EXPECT_EQ(stems.Claim("clip (2)"), "clip (2)");
    EXPECT_EQ(stems.Claim("clip"), "clip (3)");
    EXPECT_EQ(stems.Claim("other"), "other");
    EXPECT_EQ(stems.Claim("clip"), "clip (4)");
}

TEST(FDIBPointer, RefusesWhatIsNotAFrameAndKeepsTheLastOne)
{
    FDIBPointer dib;
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(nullptr));
    EXPECT_EQ(dib.Frame(), nullptr);

    PackedDib frame(321, 2);
    EXPECT_EQ(frame.Header().biSizeImage, 964u * 2);
    EXPECT_EQ(PackedDib(320, 240).Header().biSizeImage, 230400u);
    frame.Bits()[5] = 77;
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(frame.Bytes().data()));
    ASSERT_NE(dib.Frame(), nullptr);
    EXPECT_EQ(dib.Frame()->Width(), 321);
    EXPECT_EQ(dib.Frame()->Bits()[5], 77);
    EXPECT_NE(dib.Frame()->Bits(), frame.Bits());  // a copy of its own

    std::vector<std::uint8_t> eightBit(frame.Bytes().begin(), frame.Bytes().end());
    BitmapInfoHeader header = BitmapInfoHeader::Read(eightBit.data());
    header.biBitCount = 8;
    header.Write(eightBit.data());
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(eightBit.data()));
    header.biBitCount = 24;
    header.biSizeImage = 0;
    header.Write(eightBit.data());
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(eightBit.data()));
    EXPECT_EQ(dib.Frame()->Width(), 321);
}

}  // namespace
