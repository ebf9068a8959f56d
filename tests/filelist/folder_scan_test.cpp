#include "folder_tree.h"

#include "filelist/files_in_folder.h"
#include "filelist/sub_directories.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FolderScan : public testing::Test {
protected:
    QString At(const QString& relative) const { return Under(root_, relative); }
    QStringList AtAll(const QStringList& relatives) const
    {
        QStringList paths;
        for (const QString& relative : relatives)
            paths.append(At(relative));
        return paths;
    }

    QTemporaryDir dir_;
    QString root_ = dir_.path();
};

// root, then its children, then its grandchildren, each group under its parent in listing order.
void MakeThreeLevelTree(const QString& root)
{
    for (const char* relative : {"r2.avi", "r1.avi", "beta/b.avi", "alpha/a.avi", "Gamma/g.avi", "alpha/two/a2.avi",
                                 "alpha/one/a1.avi", "beta/deep/bd.avi", "alpha/one/x/ax.avi", "Gamma/z/y/gzy.avi"})
        MakeFile(root, QString::fromLatin1(relative));
}

TEST_F(FolderScan, CollectsFoldersBreadthFirst)
{
    MakeThreeLevelTree(root_);
    QStringList folders{root_ + QLatin1Char('/')};
    ASSERT_EQ(GetSubDirectories2016(folders), ScanEnd::Finished);
    EXPECT_EQ(folders, QStringList({root_ + QLatin1Char('/')})
        + AtAll({"alpha/", "beta/", "Gamma/", "alpha/one/", "alpha/two/", "beta/deep/", "Gamma/z/", "alpha/one/x/",
              "Gamma/z/y/"}));
}

TEST_F(FolderScan, ListsFilesFolderByFolderBreadthFirst)
{
    MakeThreeLevelTree(root_);
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")),
              AtAll({"r1.avi", "r2.avi", "alpha/a.avi", "beta/b.avi", "Gamma/g.avi", "alpha/one/a1.avi",
                  "alpha/two/a2.avi", "beta/deep/bd.avi", "alpha/one/x/ax.avi", "Gamma/z/y/gzy.avi"}));
}

TEST_F(FolderScan, AcceptsTheChosenFolderWithATrailingSeparator)
{
    MakeThreeLevelTree(root_);
    EXPECT_EQ(ScanTreeEntries(root_ + QLatin1Char('/'), QStringLiteral("avi")), ScanTreeEntries(root_, QStringLiteral("avi")));
}

TEST_F(FolderScan, ListsNamesWithoutRegardToCaseThenExactly)
{
    for (const char* name : {"b.avi", "a.avi", "C.avi", "A.avi", "_x.avi", "9.avi", "10.avi"})
        MakeFile(root_, QString::fromLatin1(name));
    EXPECT_EQ(GetFilesInFolder(root_, QStringLiteral("*.*")),
              QStringList({"10.avi", "9.avi", "_x.avi", "A.avi", "a.avi", "b.avi", "C.avi"}));
}

TEST_F(FolderScan, MatchesTheExtensionWithoutRegardToCase)
{
    for (const char* name : {"clip.avi", "CLIP.AVI", "clip.avi.txt", "clipavi", "clip.mp4", "noext"})
        MakeFile(root_, QString::fromLatin1(name));
    MakeFolder(root_, QStringLiteral("folder.avi"));

    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")), AtAll({"CLIP.AVI", "clip.avi"}));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("AVI")), AtAll({"CLIP.AVI", "clip.avi"}));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("av?")), AtAll({"CLIP.AVI", "clip.avi"}));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("*")),
              AtAll({"CLIP.AVI", "clip.avi", "clip.avi.txt", "clip.mp4", "clipavi", "noext"}));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("mkv")), QStringList());
}

TEST_F(FolderScan, SkipsTildeNamesAndHiddenArchiveFiles)
{
    MakeFile(root_, QStringLiteral("~clip.avi"));
    MakeFile(root_, QStringLiteral("a~b.avi"));
    MakeFile(root_, QStringLiteral(".x.avi"));
    const QString readOnlyHidden = MakeFile(root_, QStringLiteral(".ro.avi"));
    ASSERT_TRUE(QFile::setPermissions(readOnlyHidden, QFile::ReadOwner));
    MakeFile(root_, QStringLiteral("~temp/kept.avi"));
    MakeFile(root_, QStringLiteral(".hidden/in_hidden.avi"));
    MakeFile(root_, QStringLiteral(".hidden/.again.avi"));

    // ".ro.avi" is hidden, read-only and archive, not exactly hidden and archive. A hidden folder is
    // hidden and directory, not a hidden system folder, so it is entered.
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")),
              AtAll({".ro.avi", "a~b.avi", ".hidden/in_hidden.avi", "~temp/kept.avi"}));
}

TEST_F(FolderScan, FindsNamesInAnyScriptAndLongPaths)
{
    const QString longName = QString(100, QLatin1Char('d'));
    const QString longRelative = longName + QLatin1Char('/') + longName + QLatin1Char('/') + QString(80, QChar(0x416))
        + QStringLiteral("/") + QString(120, QLatin1Char('f')) + QStringLiteral(".avi");
    MakeFile(root_, longRelative);
    MakeFile(root_, QStringLiteral("Видео/клип.avi"));
    MakeFile(root_, QStringLiteral("動画/映像.AVI"));
    MakeFile(root_, QStringLiteral("🎬 clips/😀.avi"));
    MakeFile(root_, QString::fromUtf16(u"Don\u2019t \u2013 keep/typographic.avi"));
    ASSERT_GT(At(longRelative).size(), 400);

    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")),
              AtAll({QString::fromUtf16(u"Don\u2019t \u2013 keep/typographic.avi"), "Видео/клип.avi",
                  "動画/映像.AVI", "🎬 clips/😀.avi", longRelative}));
}

TEST_F(FolderScan, LeavesOutFoldersWithUnusualNamesAndAllBelowThem)
{
    MakeFile(root_, QStringLiteral("fine/a.avi"));
    MakeFile(root_, QStringLiteral("why?/b.avi"));
    MakeFile(root_, QStringLiteral("line\nbreak/c.avi"));
    MakeFile(root_, QStringLiteral("c1") + QChar(0x85) + QStringLiteral("/deeper/d.avi"));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")), AtAll({"fine/a.avi"}));
}

TEST_F(FolderScan, EndsLinkCyclesListingEachFolderOnce)
{
    MakeFile(root_, QStringLiteral("r.avi"));
    MakeFile(root_, QStringLiteral("a/a.avi"));
    MakeFile(root_, QStringLiteral("a/sub/s.avi"));
    MakeFile(root_, QStringLiteral("b/b.avi"));
    MakeLink(root_, QStringLiteral("a/loop"), root_);
    MakeLink(root_, QStringLiteral("a/sub/up"), At(QStringLiteral("a")));
    MakeLink(root_, QStringLiteral("b/to_a"), At(QStringLiteral("a")));

    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")), AtAll({"r.avi", "a/a.avi", "b/b.avi", "a/sub/s.avi"}));
}

TEST_F(FolderScan, EntersLinkedFoldersOutsideTheTree)
{
    QTemporaryDir elsewhere;
    MakeFile(elsewhere.path(), QStringLiteral("outside.avi"));
    MakeLink(root_, QStringLiteral("linked"), elsewhere.path());
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")), AtAll({"linked/outside.avi"}));
}

TEST_F(FolderScan, GoesOnPastDanglingLinksAndFiles)
{
    MakeFile(root_, QStringLiteral("a/a.avi"));
    MakeLink(root_, QStringLiteral("b"), At(QStringLiteral("gone")));
    MakeLink(root_, QStringLiteral("b.avi"), At(QStringLiteral("gone.avi")));
    MakeFile(root_, QStringLiteral("c/c.avi"));
    EXPECT_EQ(ScanTreeEntries(root_, QStringLiteral("avi")), AtAll({"a/a.avi", "c/c.avi"}));
}

TEST_F(FolderScan, FindsNothingInAPathThatIsNotAFolder)
{
    const QString file = MakeFile(root_, QStringLiteral("clip.avi"));
    EXPECT_EQ(ScanTreeEntries(file, QStringLiteral("avi")), QStringList());
    EXPECT_EQ(ScanTreeEntries(At(QStringLiteral("missing")), QStringLiteral("avi")), QStringList());
}

TEST_F(FolderScan, HandsEntriesOverInOrderedBatches)
{
    MakeThreeLevelTree(root_);
    const QStringList all = ScanTreeEntries(root_, QStringLiteral("avi"));

    QList<QStringList> batches;
    ScanCallbacks callbacks;
    callbacks.batchSize = 3;
    callbacks.batchInterval = std::chrono::hours(1);
    callbacks.receiveBatch = [&batches](QStringList batch) { batches.append(batch); };
    ASSERT_EQ(ScanFolderTree(root_, QStringLiteral("avi"), callbacks), ScanEnd::Finished);

    QStringList joined;
    for (const QStringList& batch : batches) {
        EXPECT_GE(batch.size(), 1);
        EXPECT_LE(batch.size(), 3);
        joined += batch;
    }
    EXPECT_EQ(batches.size(), 4);
    EXPECT_EQ(joined, all);
}

TEST_F(FolderScan, StopsWhenAsked)
{
    MakeThreeLevelTree(root_);
    const QStringList all = ScanTreeEntries(root_, QStringLiteral("avi"));

    QStringList received;
    bool stop = false;
    ScanCallbacks callbacks;
    callbacks.batchSize = 1;
    callbacks.stopRequested = [&stop] { return stop; };
    callbacks.receiveBatch = [&](QStringList batch) {
        received += batch;
        stop = true;
    };
    EXPECT_EQ(ScanFolderTree(root_, QStringLiteral("avi"), callbacks), ScanEnd::Stopped);
    ASSERT_FALSE(received.isEmpty());
    EXPECT_LT(received.size(), all.size());
    EXPECT_EQ(received, all.mid(0, received.size()));

    received.clear();
    callbacks.stopRequested = [] { return true; };
    EXPECT_EQ(ScanFolderTree(root_, QStringLiteral("avi"), callbacks), ScanEnd::Stopped);
    EXPECT_EQ(received, QStringList());
}

} // namespace
