#include "folder_tree.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

namespace {

// Permission checks do not apply to root, so as root the scan runs as the unprivileged "nobody"
// user, for whom the folder really cannot be read.
std::optional<QStringList> ScanAsOrdinaryUser(const QString& folder, const QString& extension)
{
    QStringList program{QStringLiteral(FILELIST_SCAN_TOOL), folder, extension};
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            return std::nullopt;
        program = QStringList{setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")} + program;
    }
    QProcess scan;
    scan.start(program.takeFirst(), program);
    EXPECT_TRUE(scan.waitForFinished(60000));
    EXPECT_EQ(scan.exitCode(), 0) << scan.readAllStandardError().toStdString();
    return QString::fromUtf8(scan.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class UnreadableFolder : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::setPermissions(root_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
            | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    }
    void Lock(const QString& folder)
    {
        locked_.append(folder);
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::Permissions()));
    }
    void TearDown() override
    {
        for (const QString& folder : locked_)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir dir_;
    QString root_ = dir_.path();
    QStringList locked_;
};

TEST_F(UnreadableFolder, IsLeftOutAndItsSiblingsAreScanned)
{
    MakeFile(root_, QStringLiteral("top.avi"));
    MakeFile(root_, QStringLiteral("a/a.avi"));
    MakeFile(root_, QStringLiteral("b/b.avi"));
    MakeFile(root_, QStringLiteral("b/under/u.avi"));
    MakeFile(root_, QStringLiteral("c/c.avi"));
    MakeFile(root_, QStringLiteral("c/d/d.avi"));
    MakeFile(root_, QStringLiteral("c/locked/l.avi"));
    Lock(Under(root_, QStringLiteral("b")));
    Lock(Under(root_, QStringLiteral("c/locked")));

    const std::optional<QStringList> entries = ScanAsOrdinaryUser(root_, QStringLiteral("avi"));
    if (!entries)
        GTEST_SKIP() << "setpriv is needed to give up root's rights";
    EXPECT_EQ(*entries,
              QStringList({Under(root_, QStringLiteral("top.avi")), Under(root_, QStringLiteral("a/a.avi")),
                           Under(root_, QStringLiteral("c/c.avi")), Under(root_, QStringLiteral("c/d/d.avi"))}));
}

TEST_F(UnreadableFolder, AsTheChosenFolderGivesNothing)
{
    MakeFile(root_, QStringLiteral("chosen/a.avi"));
    Lock(Under(root_, QStringLiteral("chosen")));
    const std::optional<QStringList> entries = ScanAsOrdinaryUser(Under(root_, QStringLiteral("chosen")), QStringLiteral("avi"));
    if (!entries)
        GTEST_SKIP() << "setpriv is needed to give up root's rights";
    EXPECT_EQ(*entries, QStringList());
}

} // namespace
