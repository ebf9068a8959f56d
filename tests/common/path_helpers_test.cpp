// File and path helpers on real files, and the name rules for both separators.
#include "common/atomic_file.h"
#include "common/failure.h"
#include "common/path_helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PathNames, NameOfPathOnBothSeparators)
{
    EXPECT_EQ(FileNameOfPath("C:\\a\\b.avi", '\\'), "b.avi");
    EXPECT_EQ(FileNameOfPath("b.avi", '\\'), "b.avi");
    EXPECT_EQ(FileNameOfPath("C:\\a\\", '\\'), "");
    EXPECT_EQ(FileNameOfPath("/home/u/b.avi", '/'), "b.avi");
    EXPECT_EQ(FileNameOfPath("/home/u/", '/'), "");
}

TEST(PathNames, StemDropsOnlyTheLastExtension)
{
    EXPECT_EQ(StemOfPath("C:\\v\\clip.part1.avi", '\\'), "clip.part1");
    EXPECT_EQ(StemOfPath("/v/clip.avi", '/'), "clip");
    EXPECT_EQ(StemOfPath("/v.d/clip", '/'), "clip");
    EXPECT_EQ(StemOfPath("/v/.avi", '/'), ".avi");
    EXPECT_EQ(StemOfPath("/v/my clip ñ 映像.AVI", '/'), "my clip ñ 映像");
    EXPECT_EQ(StemOfPath("/v/clip.", '/'), "clip");
}

TEST(PathNames, JoinNeverDoublesTheSeparator)
{
    EXPECT_EQ(JoinPath("C:\\", "a.avi", '\\'), "C:\\a.avi");
    EXPECT_EQ(JoinPath("C:\\out", "a.avi", '\\'), "C:\\out\\a.avi");
    EXPECT_EQ(JoinPath("/out/", "a", '/'), "/out/a");
}

TEST(FileHelpers, ExistenceFolderAndForcedDelete)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("a.bin");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(folder.filePath("missing")));
    EXPECT_TRUE(IsFolder(folder.path()));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_FALSE(IsFolder(folder.filePath("missing")));

    QFile::setPermissions(file, QFileDevice::ReadOwner);
    DeleteFileForced(file);
    EXPECT_FALSE(QFile::exists(file));
    DeleteFileForced(file);  // missing: nothing happens
    DeleteFileForced("");
}

TEST(FileHelpers, DesktopFolderEndsWithOneSeparator)
{
    const QString desktop = SpecialFolderPath();
    EXPECT_TRUE(desktop.endsWith(NativeSeparator()));
    EXPECT_FALSE(desktop.endsWith(QString(2, NativeSeparator())));
}

TEST(PublishFile, ReplacesAWholeFileAndLeavesNothingElse)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("frame.bin");
    {
        QFile old(path);
        old.open(QIODevice::WriteOnly);
        old.write(QByteArray(100, 'x'));
    }
    const std::uint8_t head[] = {1, 2, 3};
    const std::uint8_t tail[] = {4, 5};
    PublishFile(path, {ByteSpan(head), ByteSpan(tail)});
    EXPECT_EQ(Contents(path), QByteArray("\x01\x02\x03\x04\x05"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"frame.bin"});
}

TEST(PublishFile, FailureNamesThePathAndLeavesNoFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("missing/frame.bin");
    const std::uint8_t bytes[] = {1};
    try {
        PublishFile(path, {ByteSpan(bytes)});
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.description().startsWith("Cannot write " + path + ": ")) << failure.description().toStdString();
    }
    QDir(folder.path()).mkdir("taken");
    EXPECT_THROW(PublishFile(folder.filePath("taken"), {ByteSpan(bytes)}), Failure);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{});
}

}  // namespace
