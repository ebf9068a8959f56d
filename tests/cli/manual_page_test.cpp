// The manual page stillpress-cli.1: well-formed for groff, of the program's version, and describing
// every option and exit status the program's own help lists.
#include "cli_fixture.h"

#include <QRegularExpression>

namespace {

TEST(ManualPage, DescribesEveryOptionAndStatusOfTheHelp)
{
    const QString page = QStringLiteral(STILLPRESS_MANUAL_PAGE);
    const ToolResult check = RunTool("groff", {"-man", "-ww", "-z", page});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_TRUE(check.err.isEmpty()) << check.err.toStdString();

    const ToolResult rendered = RunTool("groff", {"-man", "-Tascii", "-P-cbou", page});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err.toStdString();
    const QString text = QString::fromUtf8(rendered.out);
    EXPECT_TRUE(text.contains("stillpress-cli " STILLPRESS_VERSION)) << text.toStdString();

    const ToolResult help = RunTool(kCli, {"--help"});
    ASSERT_EQ(help.exitCode, 0);
    QStringList options;
    for (const QRegularExpressionMatch& option : QRegularExpression(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*")).globalMatch(QString::fromUtf8(help.out)))
        options << option.captured();
    options.removeDuplicates();
    EXPECT_GE(options.size(), 10) << options.join(' ').toStdString();
    for (const QString& option : options)
        EXPECT_TRUE(text.contains(option)) << option.toStdString();

    const qsizetype statuses = text.indexOf("EXIT STATUS");
    ASSERT_GE(statuses, 0);
    for (const char* status : {"\n       0 ", "\n       1 ", "\n       2 ", "\n       130 ", "\n       143 "})
        EXPECT_TRUE(text.mid(statuses).contains(status)) << status;
}

}  // namespace
