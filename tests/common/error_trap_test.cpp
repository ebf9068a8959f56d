// The error report's exact text and the trap's go-on-with-the-next-statement behaviour.
#include "common/error_report.h"
#include "common/error_trap.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ErrorReport, ComposesDescriptionLocationLabelAndRequest)
{
    EXPECT_EQ(ErrorReport::Compose("Subscript out of range", ErrorReport::kFormLoad, 102),
        "Subscript out of range\r\nin FRAMEVIS2021/08/31.Form1.Form_Load at line 102\r\r"
        "Please email screenshot of this message to support@stillpress.org");
    // An empty description leaves the first line empty.
    EXPECT_TRUE(ErrorReport::Compose("", ErrorReport::kFolderScan, 100)
                    .startsWith("\r\nin TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 at line 100\r\r"));
}

TEST(ErrorTrap, ReportsEachFailureWithItsLabelAndGoesOn)
{
    QStringList shown;
    ErrorTrap trap(ErrorReport::kClearList, [&](const QString& message) { shown << message; });
    QStringList done;
    EXPECT_FALSE(trap.Run(100, [] { throw Failure(5, "Invalid procedure call or argument"); }));
    EXPECT_TRUE(trap.Run(102, [&] { done << "next statement"; }));
    for (int pass = 0; pass < 3; ++pass)
        trap.Run(104, [] { throw std::runtime_error("disk full"); });
    EXPECT_EQ(done, QStringList{"next statement"});
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0], ErrorReport::Compose("Invalid procedure call or argument", ErrorReport::kClearList, 100));
    EXPECT_EQ(shown[3], ErrorReport::Compose("disk full", ErrorReport::kClearList, 104));
    EXPECT_EQ(trap.reportsShown(), 4);
    // The code is never shown.
    EXPECT_FALSE(shown[0].contains("5\r"));
}

TEST(ErrorTrap, FailedTestGoesOnWithTheGuardedAction)
{
    int reports = 0;
    ErrorTrap trap(ErrorReport::kFormLoad, [&](const QString&) { ++reports; });
    EXPECT_TRUE(trap.Test(170, []() -> bool { throw Failure(13, "Type mismatch"); }));
    EXPECT_FALSE(trap.Test(172, [] { return false; }));
    EXPECT_EQ(reports, 1);
}

}  // namespace
