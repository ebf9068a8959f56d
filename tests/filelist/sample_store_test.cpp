#include "filelist/sample_snapshot.h"
#include "filelist/sample_store.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> codes)
{
    QByteArray bytes;
    for (int code : codes)
        bytes.append(static_cast<char>(code));
    return bytes;
}

TEST(ScrambleBytes, ShiftsByTheKeyAndWrapsBy255)
{
    EXPECT_EQ(ScrambleBytes(Bytes({200}), Bytes({100})), Bytes({45}));
    EXPECT_EQ(UnscrambleBytes(Bytes({45}), Bytes({100})), Bytes({200}));
    EXPECT_EQ(ScrambleBytes(Bytes({255}), "k"), "k");
    EXPECT_EQ(ScrambleBytes(Bytes({255}), "z"), "z");
    EXPECT_EQ(ScrambleBytes(Bytes({1, 2}), Bytes({254, 254})), Bytes({255, 1}));
    EXPECT_EQ(UnscrambleBytes(Bytes({255, 1}), Bytes({254, 254})), Bytes({1, 2}));
}

TEST(ScrambleBytes, TheNinthByteReusesTheFirstKeyLetter)
{
    const QByteArray scrambled = ScrambleBytes("AAAAAAAAAA", "abcdefgh");
    EXPECT_EQ(scrambled, Bytes({65 + 97, 65 + 98, 65 + 99, 65 + 100, 65 + 101, 65 + 102, 65 + 103, 65 + 104,
                                65 + 97, 65 + 98}));
}

TEST(ScrambleBytes, EveryCodeFrom1To255SurvivesTheRoundTrip)
{
    QByteArray all;
    for (int code = 1; code <= 255; ++code)
        all.append(static_cast<char>(code));
    const QByteArray scrambled = ScrambleBytes(all, kSampleSnapshotKey);
    EXPECT_FALSE(scrambled.contains('\0'));
    EXPECT_NE(scrambled, all);
    EXPECT_EQ(UnscrambleBytes(scrambled, kSampleSnapshotKey), all);
}

class ScrambleTextRoundTrip : public testing::TestWithParam<const char16_t*> {};

TEST_P(ScrambleTextRoundTrip, GivesTheTextBackThroughASettingsFile)
{
    const QString text = QString::fromUtf16(GetParam());
    const QString scrambled = ScrambleText(text, kSampleSnapshotKey);
    if (!text.isEmpty()) {
        EXPECT_NE(scrambled, text);
    }
    for (QChar c : scrambled)
        EXPECT_TRUE(c.unicode() >= 1 && c.unicode() <= 255);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("Snapshot"), scrambled);
    const QString stored = QSettings(file, QSettings::IniFormat).value(QStringLiteral("Snapshot")).toString();
    EXPECT_EQ(stored, scrambled);
    EXPECT_EQ(UnscrambleText(stored, kSampleSnapshotKey), text);
}

INSTANTIATE_TEST_SUITE_P(Paths, ScrambleTextRoundTrip, testing::Values(
    u"",
    u"/opt/stillpress/Samples/a.avi|/opt/stillpress/Samples/b.avi",
    u"C:\\Program Files\\Stillpress\\Samples\\clip.avi",
    u"/home/пользователь/Видео/клип.avi",
    u"/srv/動画/映像 ファイル.avi|/srv/😀 🎬/x.avi",
    u"/tmp/Ünïcödé ÿ\u00a0\u2019\u2013/e\u0301.avi",
    u"line\nbreak\ttab\r|=;,\"'\\%"));

} // namespace
