#include "folder_tree.h"

#include "filelist/accessible_file.h"
#include "filelist/file_attributes.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace FileAttribute;

class FileFacts : public testing::Test {
protected:
    QTemporaryDir dir_;
    QString root_ = dir_.path();
};

TEST_F(FileFacts, AttributesFollowNameAndPermissions)
{
    const QString plain = MakeFile(root_, QStringLiteral("clip.avi"));
    const QString hidden = MakeFile(root_, QStringLiteral(".clip.avi"));
    const QString hiddenReadOnly = MakeFile(root_, QStringLiteral(".locked.avi"));
    ASSERT_TRUE(QFile::setPermissions(hiddenReadOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString folder = MakeFolder(root_, QStringLiteral("videos"));
    const QString hiddenFolder = MakeFolder(root_, QStringLiteral(".cache"));
    const QString readOnlyFolder = MakeFolder(root_, QStringLiteral("frozen"));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnlyFolder).constData(), 0555), 0);

    EXPECT_EQ(FileAttributes(plain), kArchive);
    EXPECT_EQ(FileAttributes(hidden), kHidden | kArchive);
    EXPECT_EQ(FileAttributes(hiddenReadOnly), kReadOnly | kHidden | kArchive);
    EXPECT_EQ(FileAttributes(folder), kDirectory);
    EXPECT_EQ(FileAttributes(folder + QLatin1Char('/')), kDirectory);
    EXPECT_EQ(FileAttributes(hiddenFolder), kHidden | kDirectory);
    EXPECT_EQ(FileAttributes(hiddenFolder + QLatin1Char('/')), kHidden | kDirectory);
    EXPECT_EQ(FileAttributes(readOnlyFolder), kReadOnly | kDirectory);
    EXPECT_EQ(FileAttributes(Under(root_, QStringLiteral("missing.avi"))), std::nullopt);
    EXPECT_EQ(FileAttributes(QString()), std::nullopt);
}

TEST_F(FileFacts, AttributesOfALinkAreThoseOfItsTarget)
{
    const QString target = MakeFile(root_, QStringLiteral("clip.avi"));
    const QString hiddenLink = MakeLink(root_, QStringLiteral(".link.avi"), target);
    const QString folderLink = MakeLink(root_, QStringLiteral("folder_link"), MakeFolder(root_, QStringLiteral("f")));
    EXPECT_EQ(FileAttributes(hiddenLink), kHidden | kArchive);
    EXPECT_EQ(FileAttributes(folderLink), kDirectory);
}

TEST_F(FileFacts, AccessibleFilesAreExistingRegularFiles)
{
    const QString plain = MakeFile(root_, QStringLiteral("clip.avi"));
    const QString unreadable = MakeFile(root_, QStringLiteral("private.avi"));
    ASSERT_TRUE(QFile::setPermissions(unreadable, QFileDevice::Permissions()));
    const QString link = MakeLink(root_, QStringLiteral("link.avi"), plain);
    const QString dangling = MakeLink(root_, QStringLiteral("dangling.avi"), Under(root_, QStringLiteral("gone.avi")));
    const QString fifo = Under(root_, QStringLiteral("pipe.avi"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    EXPECT_TRUE(IsAccessibleFile(plain));
    EXPECT_TRUE(IsAccessibleFile(unreadable));   // no read right is needed, as with a zero-access open
    EXPECT_TRUE(IsAccessibleFile(link));
    EXPECT_TRUE(IsAccessibleFile(MakeFile(root_, QStringLiteral("Видео/клип 😀.avi"))));
    EXPECT_FALSE(IsAccessibleFile(dangling));
    EXPECT_FALSE(IsAccessibleFile(fifo));        // would block anyone who opens it to read
    EXPECT_FALSE(IsAccessibleFile(MakeFolder(root_, QStringLiteral("folder.avi"))));
    EXPECT_FALSE(IsAccessibleFile(Under(root_, QStringLiteral("missing.avi"))));
    EXPECT_FALSE(IsAccessibleFile(plain + QStringLiteral("/inside")));
    EXPECT_FALSE(IsAccessibleFile(QString()));
}

} // namespace
