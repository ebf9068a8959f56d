#include "folder_tree.h"

#include "filelist/sample_snapshot.h"
#include "filelist/sample_store.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SampleSnapshot : public testing::Test {
protected:
    QString Recorded() const { return UnscrambleText(SampleSnapshotValue(program_), kSampleSnapshotKey); }

    QTemporaryDir dir_;
    QString program_ = dir_.path() + QStringLiteral("/Программа");
};

TEST_F(SampleSnapshot, JoinsTheSamplePathsWithBars)
{
    MakeFile(program_, QStringLiteral("Samples/b.avi"));
    MakeFile(program_, QStringLiteral("Samples/a.avi"));
    MakeFile(program_, QStringLiteral("Samples/nested/c.avi"));
    MakeFile(program_, QStringLiteral("stillpress"));
    EXPECT_EQ(Recorded(), program_ + QStringLiteral("/Samples/a.avi|") + program_ + QStringLiteral("/Samples/b.avi"));
}

TEST_F(SampleSnapshot, IsEmptyWithoutSamples)
{
    EXPECT_EQ(SampleSnapshotValue(program_), QString());
    MakeFolder(program_, QStringLiteral("Samples"));
    EXPECT_EQ(SampleSnapshotValue(program_), QString());
}

TEST_F(SampleSnapshot, LoadsSamplesThatExistAndAreNotListedOnce)
{
    const QString a = MakeFile(program_, QStringLiteral("Samples/a.avi"));
    const QString b = MakeFile(program_, QStringLiteral("Samples/b.avi"));
    const QString stored = SampleSnapshotValue(program_);

    QStringList list{QStringLiteral("/elsewhere/x.avi")};
    list += SampleVideosToLoad(stored, list);
    EXPECT_EQ(list, QStringList({QStringLiteral("/elsewhere/x.avi"), a, b}));
    EXPECT_EQ(SampleVideosToLoad(stored, list), QStringList());

    ASSERT_TRUE(QFile::remove(a));
    EXPECT_EQ(SampleVideosToLoad(stored, {}), QStringList({b}));
}

TEST_F(SampleSnapshot, LoadsARecordedPathOnceAndSkipsEmptyPieces)
{
    const QString a = MakeFile(program_, QStringLiteral("Samples/a.avi"));
    const QString missing = program_ + QStringLiteral("/Samples/gone.avi");
    const QString stored = ScrambleText(QStringLiteral("|") + a + QStringLiteral("||") + missing + QStringLiteral("|") + a,
                                        kSampleSnapshotKey);
    EXPECT_EQ(SampleVideosToLoad(stored, {}), QStringList({a}));
}

TEST_F(SampleSnapshot, AnAbsentRecordLoadsNothing)
{
    MakeFile(program_, QStringLiteral("Samples/a.avi"));
    EXPECT_EQ(SampleVideosToLoad(QString(), {}), QStringList());
    EXPECT_EQ(SampleVideosToLoad(QStringLiteral("False"), {}), QStringList());
}

} // namespace
