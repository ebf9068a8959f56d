#include "filelist/list_text.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct NormalizeCase {
    const char16_t* path;
    const char16_t* expected;
};

void PrintTo(const NormalizeCase& c, std::ostream* out)
{
    *out << QString::fromUtf16(c.path).toStdString();
}

class NormalizeBackslashPath : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeBackslashPath, GivesTheTidyPath)
{
    const NormalizeCase& c = GetParam();
    EXPECT_EQ(NormalizePath(QString::fromUtf16(c.path), QLatin1Char('\\')), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(WindowsSyntax, NormalizeBackslashPath, testing::Values(
    NormalizeCase{u"C:\\Videos\\\\clip.avi", u"C:\\Videos\\clip.avi"},
    NormalizeCase{u"C:\\\\\\a.avi", u"C:\\\\a.avi"},            // three become two
    NormalizeCase{u"C:\\\\\\\\a.avi", u"C:\\\\a.avi"},          // four become two
    NormalizeCase{u"C:\\\\a.avi", u"C:\\a.avi"},                // a drive root joined with a name
    NormalizeCase{u"\\\\server\\share\\\\x.avi", u"\\\\server\\share\\x.avi"},
    NormalizeCase{u"\\\\\\\\server\\x.avi", u"\\\\server\\x.avi"},
    NormalizeCase{u"\\\\\\server\\x.avi", u"\\\\server\\x.avi"},
    NormalizeCase{u"\\dir\\x.avi", u"\\\\dir\\x.avi"},
    NormalizeCase{u"", u""},
    NormalizeCase{u"\\", u"\\\\"},
    NormalizeCase{u"\\\\\\\\\\", u"\\\\"},
    NormalizeCase{u"C:/a//b.avi", u"C:/a//b.avi"}));           // only the given separator counts

class NormalizeSlashPath : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeSlashPath, GivesTheTidyPath)
{
    const NormalizeCase& c = GetParam();
    EXPECT_EQ(NormalizePath(QString::fromUtf16(c.path), QLatin1Char('/')), QString::fromUtf16(c.expected));
}

// A leading "/" is the root of the file system, not the start of a network path.
INSTANTIATE_TEST_SUITE_P(PosixSyntax, NormalizeSlashPath, testing::Values(
    NormalizeCase{u"/Videos//clip.avi", u"/Videos/clip.avi"},
    NormalizeCase{u"/v///a.avi", u"/v//a.avi"},
    NormalizeCase{u"/v////a.avi", u"/v//a.avi"},
    NormalizeCase{u"//a.avi", u"/a.avi"},                       // the root joined with a name
    NormalizeCase{u"/dir/x.avi", u"/dir/x.avi"},
    NormalizeCase{u"/home/user/Видео//клип.avi", u"/home/user/Видео/клип.avi"},
    NormalizeCase{u"", u""},
    NormalizeCase{u"relative//x.avi", u"relative/x.avi"},
    NormalizeCase{u"/a\\\\b.avi", u"/a\\\\b.avi"}));

TEST(NormalizePath, UsesTheNativeSeparatorByDefault)
{
    const QString doubled = QStringLiteral("top") + QString(2, NativeSeparator()) + QStringLiteral("a.avi");
    EXPECT_EQ(NormalizePath(doubled), QStringLiteral("top") + NativeSeparator() + QStringLiteral("a.avi"));
}

TEST(IsInList, FindsOnlyExactlyEqualTexts)
{
    const QStringList entries{QStringLiteral("C:\\a.avi"), QStringLiteral("/v/клип.avi"), QStringLiteral("C:\\a.avi")};
    EXPECT_TRUE(IsInList(entries, QStringLiteral("C:\\a.avi")));
    EXPECT_TRUE(IsInList(entries, QStringLiteral("/v/клип.avi")));
    EXPECT_FALSE(IsInList(entries, QStringLiteral("C:\\A.AVI")));
    EXPECT_FALSE(IsInList(entries, QStringLiteral("/v/КЛИП.avi")));
    EXPECT_FALSE(IsInList(entries, QStringLiteral("C:\\a.avi ")));
    EXPECT_FALSE(IsInList({}, QString()));
}

} // namespace
