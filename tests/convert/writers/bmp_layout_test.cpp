// The BMP file is the 14-byte file header followed by the frame's own info header and rows.
#include "convert/writers/image_encoder.h"
#include "support/test_frames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::uint32_t U32At(const QByteArray& bytes, int at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

std::uint16_t U16At(const QByteArray& bytes, int at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

QByteArray WriteBmp(const PackedDib& frame, const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("frame.bmp"));
    EncodedImage scratch;
    WriteImage(frame, OutputFormat::BMP, 85, path, scratch);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(BmpLayoutTest, A320x240FrameGivesTheClassicFileOf230454Bytes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PackedDib frame = ColourfulFrame(320, 240);
    const QByteArray file = WriteBmp(frame, folder);

    const std::uint32_t expectedSize = 14 + 40 + 320 * 3 * 240;
    ASSERT_EQ(expectedSize, 230454u);
    ASSERT_EQ(file.size(), 230454);
    EXPECT_EQ(file.left(2), QByteArray("BM"));
    EXPECT_EQ(U32At(file, 2), expectedSize);
    EXPECT_EQ(U16At(file, 6), 0);
    EXPECT_EQ(U16At(file, 8), 0);
    EXPECT_EQ(U32At(file, 10), 54u);
    // The info header and the rows are the frame's, byte for byte.
    const auto dib = frame.Bytes();
    EXPECT_EQ(file.mid(14), QByteArray(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size())));
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), 320u);
    EXPECT_EQ(U32At(file, 22), 240u);
    EXPECT_EQ(U16At(file, 28), 24);
}

TEST(BmpLayoutTest, RowsOfAnOddWidthArePaddedTo964Bytes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PackedDib frame = ColourfulFrame(321, 241);
    const QByteArray file = WriteBmp(frame, folder);

    const int row = 964;  // 321 * 3 = 963 bytes, padded to a multiple of 4
    ASSERT_EQ(file.size(), 54 + row * 241);
    EXPECT_EQ(U32At(file, 2), static_cast<std::uint32_t>(file.size()));
    EXPECT_EQ(U32At(file, 10), 54u);
    // The bottom row comes first: its first pixel is the picture's bottom-left one.
    const std::uint8_t* bottomLeft = frame.TopDownRow(240);
    EXPECT_EQ(file.mid(54, 3), QByteArray(reinterpret_cast<const char*>(bottomLeft), 3));
    const std::uint8_t* topLeft = frame.TopDownRow(0);
    EXPECT_EQ(file.mid(54 + row * 240, 3), QByteArray(reinterpret_cast<const char*>(topLeft), 3));
}

}  // namespace
