#include "frame_reference.h"

#include "bmp_file.h"
#include "media_tools.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

int ExpectFramesMatchFfmpeg(const QString& video, const QString& folder, bool lossless)
{
    const ReferenceVideo reference = DecodeWithFfmpeg(video);
    const std::map<std::int64_t, std::size_t> expected = ExpectedFramesByChunks(ReadVideoChunks(video), reference);
    const QString stem = QFileInfo(video).completeBaseName();
    const auto nameAt = [&](std::int64_t position) { return QStringLiteral("%1_%2.bmp").arg(stem).arg(position); };

    QSet<QString> expectedNames;
    for (const auto& [position, picture] : expected)
        expectedNames.insert(nameAt(position));
    const QStringList written = QDir(folder).entryList(QDir::Files);
    EXPECT_EQ(QSet<QString>(written.begin(), written.end()), expectedNames) << video.toStdString();

    for (const auto& [position, picture] : expected) {
        const QString file = QDir(folder).filePath(nameAt(position));
        const std::optional<BmpImage> image = ReadBmp(file);
        if (!image) {
            ADD_FAILURE() << "no bitmap " << file.toStdString();
            continue;
        }
        EXPECT_EQ(image->width, reference.width) << file.toStdString();
        EXPECT_EQ(image->height, reference.height) << file.toStdString();
        const double psnr = Psnr(image->topDownBgr, reference.pictures[picture]);
        if (lossless)
            EXPECT_TRUE(image->topDownBgr == reference.pictures[picture]) << file.toStdString() << ", PSNR " << psnr;
        else
            EXPECT_GE(psnr, 40.0) << file.toStdString();
    }
    return static_cast<int>(expected.size());
}
