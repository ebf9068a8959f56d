// Every format has the same contract: a file is published whole or not at all, a failure names the
// path and its cause after "Cannot save the image. ", and no temporary file stays behind.
#include "common/folder_failure.h"
#include "convert/writers/image_encoder.h"
#include "image_test_files.h"
#include "support/image_decoders.h"
#include "support/test_frames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Runs WriteImage and answers the failure it threw, if any.
std::optional<Failure> FailureOfWrite(const PackedDib& frame, OutputFormat format, const QString& path)
{
    EncodedImage scratch;
    try {
        WriteImage(frame, format, 85, path, scratch);
    } catch (const Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

// Whether writing fails with the blame on the folder, which ends a run, rather than on the one file.
bool FailsForTheFolder(const PackedDib& frame, OutputFormat format, const QString& path)
{
    EncodedImage scratch;
    try {
        WriteImage(frame, format, 85, path, scratch);
    } catch (const FolderFailure&) {
        return true;
    } catch (const Failure&) {
        return false;
    }
    return false;
}

QByteArray ContentOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class WriteImageContractTest : public testing::TestWithParam<OutputFormat> {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QTemporaryDir folder_;
    const PackedDib frame_ = ColourfulFrame(41, 23);
};

TEST_P(WriteImageContractTest, AMissingFolderFailsNamingThePathAndLeavesNothing)
{
    const QString path = folder_.filePath(QStringLiteral("missing/") + FileNameFor(QStringLiteral("clip_0"), GetParam()));
    const auto failure = FailureOfWrite(frame_, GetParam(), path);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->code(), 5);
    EXPECT_TRUE(failure->description().startsWith(QStringLiteral("Cannot save the image. "))) << failure->what();
    EXPECT_TRUE(failure->description().contains(path)) << failure->what();
    EXPECT_TRUE(failure->description().endsWith(QStringLiteral(": No such file or directory"))) << failure->what();
    EXPECT_TRUE(FailsForTheFolder(frame_, GetParam(), path));
    EXPECT_TRUE(EntriesOf(folder_.path()).isEmpty());
}

TEST_P(WriteImageContractTest, ANameTakenByAFolderFailsAndTheFolderStays)
{
    const QString name = FileNameFor(QStringLiteral("clip_0"), GetParam());
    ASSERT_TRUE(QDir(folder_.path()).mkdir(name));
    const QString path = folder_.filePath(name);
    const auto failure = FailureOfWrite(frame_, GetParam(), path);
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->description().startsWith(QStringLiteral("Cannot save the image. "))) << failure->what();
    EXPECT_TRUE(failure->description().contains(path)) << failure->what();
    EXPECT_FALSE(FailsForTheFolder(frame_, GetParam(), path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(EntriesOf(folder_.path()), QStringList{name});
    EXPECT_TRUE(EntriesOf(path).isEmpty());
}

TEST_P(WriteImageContractTest, AnExistingFileIsReplacedByACompleteNewOne)
{
    const QString name = FileNameFor(QStringLiteral("clip_0"), GetParam());
    const QString path = folder_.filePath(name);
    {
        // Longer than any of the new files, so a tail left over from it would show.
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1 << 20, 'x'));
    }
    EncodedImage scratch;
    WriteImage(frame_, GetParam(), 85, path, scratch);
    const QString freshPath = folder_.filePath(FileNameFor(QStringLiteral("fresh"), GetParam()));
    WriteImage(frame_, GetParam(), 85, freshPath, scratch);

    EXPECT_EQ(ContentOf(path), ContentOf(freshPath));
    const DecodedImage decoded = DecodeImage(ImageDecoder::Pillow, path);
    EXPECT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.width, frame_.Width());
    EXPECT_EQ(decoded.height, frame_.Height());
    EXPECT_EQ(EntriesOf(folder_.path()), (QStringList{name, FileNameFor(QStringLiteral("fresh"), GetParam())}));
}

TEST_P(WriteImageContractTest, FailuresBetweenWritesLeaveOnlyTheWrittenFiles)
{
    const QString taken = FileNameFor(QStringLiteral("clip_1"), GetParam());
    ASSERT_TRUE(QDir(folder_.path()).mkdir(taken));
    EncodedImage scratch;
    WriteImage(frame_, GetParam(), 85, folder_.filePath(FileNameFor(QStringLiteral("clip_0"), GetParam())), scratch);
    EXPECT_THROW(WriteImage(frame_, GetParam(), 85, folder_.filePath(taken), scratch), Failure);
    WriteImage(frame_, GetParam(), 85, folder_.filePath(FileNameFor(QStringLiteral("clip_2"), GetParam())), scratch);

    EXPECT_EQ(EntriesOf(folder_.path()), (QStringList{FileNameFor(QStringLiteral("clip_0"), GetParam()), taken,
                                              FileNameFor(QStringLiteral("clip_2"), GetParam())}));
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, WriteImageContractTest, testing::ValuesIn(kAllOutputFormats),
    [](const auto& info) { return FormatName(info.param); });

// A frame the encoders cannot read as 24-bit rows is refused with a reason, never read past its end.
class MalformedFrameTest : public testing::TestWithParam<OutputFormat> {};

PackedDib FrameWithHeader(const BitmapInfoHeader& header)
{
    std::vector<std::uint8_t> bytes(BitmapInfoHeader::kSize + header.biSizeImage, 0x40);
    header.Write(bytes.data());
    return PackedDib::CopyOf(bytes.data(), header);
}

TEST_P(MalformedFrameTest, IsRefusedWithAReasonAndNoFile)
{
    BitmapInfoHeader thirtyTwoBits;
    thirtyTwoBits.biWidth = 8;
    thirtyTwoBits.biHeight = 8;
    thirtyTwoBits.biBitCount = 32;
    thirtyTwoBits.biSizeImage = 8 * 8 * 4;

    BitmapInfoHeader rowsMissing;
    rowsMissing.biWidth = 4;
    rowsMissing.biHeight = 4;
    rowsMissing.biSizeImage = 16;  // one row of the four the header promises

    BitmapInfoHeader noPicture;
    noPicture.biWidth = 0;
    noPicture.biHeight = 5;
    noPicture.biSizeImage = 4;

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const BitmapInfoHeader& header : {thirtyTwoBits, rowsMissing, noPicture}) {
        const QString path = folder.filePath(FileNameFor(QStringLiteral("frame"), GetParam()));
        const auto failure = FailureOfWrite(FrameWithHeader(header), GetParam(), path);
        ASSERT_TRUE(failure.has_value());
        EXPECT_TRUE(failure->description().startsWith(QStringLiteral("Cannot save the image. The frame "))) << failure->what();
        EXPECT_FALSE(FailsForTheFolder(FrameWithHeader(header), GetParam(), path));  // the next frame may do
        EXPECT_TRUE(EntriesOf(folder.path()).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormatThatReadsPixels, MalformedFrameTest,
    testing::Values(OutputFormat::JPG, OutputFormat::PNG, OutputFormat::GIF, OutputFormat::TIFF, OutputFormat::TGA, OutputFormat::PCX),
    [](const auto& info) { return FormatName(info.param); });

}  // namespace
