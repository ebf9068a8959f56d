// The PNG encoder's two ways of filtering rows (vector instructions and portable code) must make the
// same bytes, and those bytes must be valid PNG that independent decoders read back to the frame
// exactly: at every width from 1 to 97 pixels (rows padded in the frame, and tight ones), each row
// under the filter the encoder's rule picks, and every one of PNG's five filters picked for some rows.
#include "convert/writers/png_encoder.h"
#include "support/image_decoders.h"
#include "support/media_tools.h"
#include "support/test_frames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Rgb = std::vector<std::uint8_t>;  // top-down rows of RGB samples, no padding

// The filter predictions as the PNG format defines them, for sample `i` of `row` below `above`
// (3 bytes a pixel; outside the picture counts as zero).
int Predict(int filter, const Rgb& rows, std::size_t rowBytes, std::size_t y, std::size_t i)
{
    const int left = i >= 3 ? rows[y * rowBytes + i - 3] : 0;
    const int up = y > 0 ? rows[(y - 1) * rowBytes + i] : 0;
    const int upLeft = y > 0 && i >= 3 ? rows[(y - 1) * rowBytes + i - 3] : 0;
    switch (filter) {
    case 0: return 0;
    case 1: return left;
    case 2: return up;
    case 3: return (left + up) / 2;
    default: {
        const int estimate = left + up - upLeft;
        const int toLeft = std::abs(estimate - left);
        const int toUp = std::abs(estimate - up);
        const int toUpLeft = std::abs(estimate - upLeft);
        if (toLeft <= toUp && toLeft <= toUpLeft)
            return left;
        return toUp <= toUpLeft ? up : upLeft;
    }
    }
}

// Rows of noise, each followed by a row that one filter predicts to within a sparse 0 or 1 (the
// filters taking turns), so that each filter is the best choice for some rows.
Rgb FilterBandsPicture(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    Rgb rows(rowBytes * static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const int filter = static_cast<int>(y / 2 % 5);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int value = y % 2 == 0 ? static_cast<int>(random() % 256)
                                         : Predict(filter, rows, rowBytes, y, i) + (random() % 8 == 0 ? 1 : 0);
            rows[y * rowBytes + i] = static_cast<std::uint8_t>(value);
        }
    }
    return rows;
}

// The picture laid out as the frame source hands it over: bottom-up BGR, padding holding junk.
PackedDib FrameOf(const Rgb& rows, int width, int height)
{
    PackedDib frame(width, height);
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* bgr = frame.TopDownRow(y);
        const std::uint8_t* rgb = rows.data() + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            bgr[i] = rgb[i + 2];
            bgr[i + 1] = rgb[i + 1];
            bgr[i + 2] = rgb[i];
        }
        std::fill(bgr + rowBytes, bgr + frame.Stride(), std::uint8_t{0x5A});
    }
    return frame;
}

// The filter the encoder's rule picks for row y: the one whose residuals, read as signed bytes, add
// up to the least in absolute value; on a tie, the lower number.
int FilterByRule(const Rgb& rows, std::size_t rowBytes, std::size_t y)
{
    int best = 0;
    long bestSum = -1;
    for (int filter = 0; filter < 5; ++filter) {
        long sum = 0;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const auto residual = static_cast<std::int8_t>(rows[y * rowBytes + i] - Predict(filter, rows, rowBytes, y, i));
            sum += std::abs(int{residual});
        }
        if (bestSum < 0 || sum < bestSum) {
            best = filter;
            bestSum = sum;
        }
    }
    return best;
}

FileBytes Encode(const PackedDib& frame, SimdLevel level)
{
    EncodedImage image;
    PngEncoder(level).Encode(frame, 85, image);
    return image.bytes;
}

std::uint32_t ReadU32BE(const std::uint8_t* at)
{
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

// The filter number of every row, read with zlib from the file's image data; empty on any fault.
std::vector<int> FiltersOf(const FileBytes& png, int width, int height)
{
    std::vector<std::uint8_t> compressed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = ReadU32BE(png.data() + at);
        if (std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4), png.begin() + static_cast<std::ptrdiff_t>(at + 8)) == "IDAT")
            compressed.insert(compressed.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
    const auto stride = static_cast<std::size_t>(width) * 3 + 1;
    std::vector<std::uint8_t> raw(stride * static_cast<std::size_t>(height));
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK || rawSize != raw.size())
        return {};
    std::vector<int> filters;
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        filters.push_back(raw[y * stride]);
    return filters;
}

std::vector<SimdLevel> LevelsThisMachineRuns()
{
    std::vector<SimdLevel> levels;
    for (const SimdLevel level : {SimdLevel::kPortable, SimdLevel::kAvx2}) {
        if (CanRun(level))
            levels.push_back(level);
    }
    return levels;
}

// Every odd width from 1 to 97 (rows padded in the frame) and some whose rows need no padding.
std::vector<int> TestWidths()
{
    std::vector<int> widths;
    for (int width = 1; width <= 97; width += 2)
        widths.push_back(width);
    for (const int width : {4, 8, 32, 64, 96})
        widths.push_back(width);
    return widths;
}

TEST(PngEncoder, EveryPathDecodesToTheFrameWithEveryFilter)
{
    if (LevelsThisMachineRuns().size() < 2)
        GTEST_LOG_(WARNING) << "this processor lacks AVX2: only the portable path is checked";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    constexpr int kHeight = 21;  // two rows for each filter, twice, and one more noise row
    std::array<int, 5> rowsPerFilter{};
    for (const int width : TestWidths()) {
        SCOPED_TRACE("width " + std::to_string(width));
        const Rgb picture = FilterBandsPicture(width, kHeight, static_cast<unsigned>(width));
        const PackedDib frame = FrameOf(picture, width, kHeight);
        const FileBytes portable = Encode(frame, SimdLevel::kPortable);
        for (const SimdLevel level : LevelsThisMachineRuns())
            ASSERT_EQ(Encode(frame, level), portable) << "the paths' files differ";

        const std::vector<int> filters = FiltersOf(portable, width, kHeight);
        ASSERT_EQ(filters.size(), static_cast<std::size_t>(kHeight)) << "zlib cannot inflate the image data";
        for (std::size_t y = 0; y < static_cast<std::size_t>(kHeight); ++y) {
            EXPECT_EQ(filters[y], FilterByRule(picture, static_cast<std::size_t>(width) * 3, y)) << "row " << y;
            ++rowsPerFilter[static_cast<std::size_t>(filters[y])];
        }

        const QString path = folder.filePath(QStringLiteral("w%1.png").arg(width));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(portable.data()), static_cast<qint64>(portable.size()));
        file.close();
        const ToolResult check = RunTool(QStringLiteral("pngcheck"), {QStringLiteral("-q"), path});
        EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
        for (const ImageDecoder decoder : {ImageDecoder::Pillow, ImageDecoder::ImageMagick}) {
            const DecodedImage decoded = DecodeImage(decoder, path);
            ASSERT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
            EXPECT_EQ(decoded.width, width);
            EXPECT_EQ(decoded.height, kHeight);
            EXPECT_TRUE(decoded.topDownBgr == TopDownBgr(frame)) << NameOf(decoder) << " reads other pixels";
        }
    }
    for (int filter = 0; filter < 5; ++filter)
        EXPECT_GE(rowsPerFilter[static_cast<std::size_t>(filter)], 10) << "filter " << filter << " is seldom picked";
}

TEST(PngEncoder, PathsAgreeOnVideoLikeAndFlatFrames)
{
    // Large frames exercise the vector loops' full steps, long zero runs and the fitted code; the
    // sizes in between make each frame reuse the scratch of a different one.
    const std::array frames{VideoLikeFrame(1280, 720, 3), FlatFrame(333, 17, 1, 2, 3), ColourfulFrame(641, 479, 4),
        VideoLikeFrame(1920, 1080, 5)};
    for (const PackedDib& frame : frames) {
        SCOPED_TRACE(std::to_string(frame.Width()) + "x" + std::to_string(frame.Height()));
        const FileBytes portable = Encode(frame, SimdLevel::kPortable);
        EXPECT_EQ(Encode(frame, SimdLevel::kPortable), portable) << "the same frame twice gives other bytes";
        for (const SimdLevel level : LevelsThisMachineRuns())
            EXPECT_EQ(Encode(frame, level), portable) << "the paths' files differ";
        const std::vector<int> filters = FiltersOf(portable, frame.Width(), frame.Height());
        EXPECT_EQ(filters.size(), static_cast<std::size_t>(frame.Height())) << "zlib cannot inflate the image data";
    }
}

}  // namespace
