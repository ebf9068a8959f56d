#include "filelist/file_attributes.h"
#include "filelist/folder_name_rules.h"
#include "filelist/wildcard_match.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

TEST(HasUnusualChars, FlagsControlCodesAndQuestionMarksOnly)
{
    EXPECT_FALSE(HasUnusualChars(QString()));
    EXPECT_FALSE(HasUnusualChars(QStringLiteral("Holiday 2021 (copy) ~#&")));
    EXPECT_FALSE(HasUnusualChars(QStringLiteral("Видео 動画 🎬 Ünïcödé ÿ")));
    EXPECT_FALSE(HasUnusualChars(QString::fromUtf16(u"Don\u2019t \u2013 dash")));   // typographic marks
    EXPECT_FALSE(HasUnusualChars(QString(QChar(160))));                             // no-break space
    EXPECT_FALSE(HasUnusualChars(QString(QChar(126))));

    EXPECT_TRUE(HasUnusualChars(QStringLiteral("why?")));
    EXPECT_TRUE(HasUnusualChars(QStringLiteral("line\nbreak")));
    EXPECT_TRUE(HasUnusualChars(QString(QChar(1))));
    EXPECT_TRUE(HasUnusualChars(QString(QChar(31))));
    EXPECT_TRUE(HasUnusualChars(QString(QChar(127))));
    EXPECT_TRUE(HasUnusualChars(QStringLiteral("a") + QChar(0x85)));
    EXPECT_TRUE(HasUnusualChars(QString(QChar(159))));
}

TEST(IsAcceptableSubfolderName, RefusesDotFoldersAndUnusualNames)
{
    EXPECT_TRUE(IsAcceptableSubfolderName(QStringLiteral(".hidden")));
    EXPECT_TRUE(IsAcceptableSubfolderName(QStringLiteral("...")));
    EXPECT_TRUE(IsAcceptableSubfolderName(QStringLiteral("動画")));
    EXPECT_FALSE(IsAcceptableSubfolderName(QStringLiteral(".")));
    EXPECT_FALSE(IsAcceptableSubfolderName(QStringLiteral("..")));
    EXPECT_FALSE(IsAcceptableSubfolderName(QStringLiteral("a?b")));
    EXPECT_FALSE(IsAcceptableSubfolderName(QStringLiteral("tab\there")));
}

struct WildcardCase {
    const char16_t* name;
    const char16_t* pattern;
    bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* out)
{
    *out << QString::fromUtf16(c.name).toStdString() << " ~ " << QString::fromUtf16(c.pattern).toStdString();
}

class Wildcard : public testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, MatchesAsTheWindowsListingDoes)
{
    const WildcardCase& c = GetParam();
    EXPECT_EQ(MatchesWildcard(QString::fromUtf16(c.name), QString::fromUtf16(c.pattern)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Wildcard, testing::Values(
    WildcardCase{u"clip.avi", u"*.avi", true},
    WildcardCase{u"CLIP.AVI", u"*.avi", true},
    WildcardCase{u"Clip.Avi", u"*.AVI", true},
    WildcardCase{u".avi", u"*.avi", true},
    WildcardCase{u"clip.avi.txt", u"*.avi", false},
    WildcardCase{u"clip.avix", u"*.avi", false},
    WildcardCase{u"clipavi", u"*.avi", false},
    WildcardCase{u"a.b.avi", u"*.avi", true},
    WildcardCase{u"клип.AVI", u"*.avi", true},
    WildcardCase{u"ВИДЕО.ФИЛЬМ", u"*.фильм", true},
    WildcardCase{u"clip.avi", u"*.av?", true},
    WildcardCase{u"clip.av", u"*.av?", false},
    WildcardCase{u"clip.mp4", u"*.*", true},
    WildcardCase{u"README", u"*.*", true},
    WildcardCase{u".profile", u"*.*", true},
    WildcardCase{u"clip", u"clip.*", true},
    WildcardCase{u"clipper", u"clip.*", false},
    WildcardCase{u"a*b.txt", u"*.txt", true},
    WildcardCase{u"abc.txt", u"a*c*.txt", true},
    WildcardCase{u"abcabd.txt", u"*abd.txt", true},
    WildcardCase{u"x.[ab]", u"*.[ab]", true},
    WildcardCase{u"x.a", u"*.[ab]", false},
    WildcardCase{u"", u"*.*", true},
    WildcardCase{u"x.avi", u"", false}));

TEST(FileAttributeRules, SkipOnlyTheExactCombinations)
{
    using namespace FileAttribute;
    EXPECT_TRUE(IsHiddenArchiveFile(kHidden | kArchive));
    EXPECT_FALSE(IsHiddenArchiveFile(kHidden | kArchive | kReadOnly));
    EXPECT_FALSE(IsHiddenArchiveFile(kHidden | kSystem | kArchive));
    EXPECT_FALSE(IsHiddenArchiveFile(kArchive));

    EXPECT_TRUE(IsSkippedFolder(22));
    EXPECT_TRUE(IsSkippedFolder(1046));
    EXPECT_FALSE(IsSkippedFolder(kHidden | kDirectory));
    EXPECT_FALSE(IsSkippedFolder(kHidden | kSystem | kDirectory | kReadOnly));
    EXPECT_FALSE(IsSkippedFolder(kDirectory | kReparsePoint));
}

} // namespace
