#include "folder_tree.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DroppedPaths : public testing::Test {
protected:
    QTemporaryDir dir_;
    QString root_ = dir_.path();
};

TEST_F(DroppedPaths, FilesAreTakenUnchanged)
{
    const QString readme = MakeFile(root_, QStringLiteral("docs/readme.txt"));
    const QString doubled = root_ + QStringLiteral("/docs//readme.txt");
    const QString missing = Under(root_, QStringLiteral("never/there.avi"));
    EXPECT_EQ(ScanDropEntries({readme, doubled, missing, readme}), QStringList({readme, doubled, missing, readme}));
}

TEST_F(DroppedPaths, FoldersGiveEveryFileOfTheirTree)
{
    const QString folder = MakeFolder(root_, QStringLiteral("drop"));
    for (const char* relative : {"clip.avi", "notes.txt", "photo.JPG", "~lock.avi", ".hidden.avi", "sub/deeper.avi", "noext"})
        MakeFile(folder, QString::fromLatin1(relative));

    EXPECT_EQ(ScanDropEntries({folder}),
              QStringList({Under(folder, QStringLiteral("clip.avi")), Under(folder, QStringLiteral("noext")),
                           Under(folder, QStringLiteral("notes.txt")), Under(folder, QStringLiteral("photo.JPG")),
                           Under(folder, QStringLiteral("sub/deeper.avi"))}));
}

TEST_F(DroppedPaths, MixedDropsKeepTheirOrder)
{
    const QString first = MakeFile(root_, QStringLiteral("one/a.avi"));
    MakeFile(root_, QStringLiteral("one/b.avi"));
    const QString file = MakeFile(root_, QStringLiteral("single.avi"));
    MakeFile(root_, QStringLiteral("two/c.avi"));

    EXPECT_EQ(ScanDropEntries({Under(root_, QStringLiteral("two")), file, Under(root_, QStringLiteral("one"))}),
              QStringList({Under(root_, QStringLiteral("two/c.avi")), file, first, Under(root_, QStringLiteral("one/b.avi"))}));
}

} // namespace
