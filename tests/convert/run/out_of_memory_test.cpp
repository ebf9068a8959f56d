// stillpress-cli short of memory, under an address-space limit, on a 1080p video: whatever allocation
// fails (opening, decoding threads, picture buffers, conversion, encoding, writing), the run says
// "Out of memory" in the report, goes on and ends with its final message; it never aborts, and every
// file under a final name is a whole image.
#include "support/complete_images.h"
#include "support/media_tools.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kFrames = 12;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(OutOfMemory, EveryLimitEndsWithAMessageAndWholeFiles)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
    QTemporaryDir inputs;
    const QString video = inputs.filePath("full_hd.avi");
    MakeVideo(video, {"-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=25", "-frames:v", QString::number(kFrames), "-c:v",
                         "libx264", "-preset", "ultrafast", "-crf", "20"});

    // Below what the program and its libraries take to load, it cannot start at all: no run of ours to
    // test. That size depends on the machine's libraries, so it is found first.
    const auto limited = [](int megabytes, const QStringList& arguments) {
        return RunTool("prlimit", QStringList{QStringLiteral("--as=%1").arg(qint64(megabytes) << 20), QStringLiteral(STILLPRESS_CLI)} + arguments);
    };
    int loaded = 150;
    while (loaded < 1000 && limited(loaded, {"--version"}).exitCode != 0)
        loaded += 10;
    ASSERT_LT(loaded, 1000) << "stillpress-cli does not start under 1000 MB";

    int shortRuns = 0;
    // From too little to decode one picture to enough for every frame; where each one fails depends
    // on the machine, what must hold does not.
    for (const int megabytes : {loaded, loaded + 50, loaded + 100, loaded + 200, loaded + 300, loaded + 400, loaded + 1000}) {
        for (const char* format : {"png", "jpg"}) {
            SCOPED_TRACE(QStringLiteral("%1 MB, %2").arg(megabytes).arg(QLatin1String(format)).toStdString());
            QTemporaryDir output;
            const ToolResult run = limited(megabytes, {"--format", format, "--output", output.path(), video});
            ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << "exit " << run.exitCode << "\n" << run.err.toStdString();
            const QStringList images = QDir(output.path()).entryList({QStringLiteral("*.") + QLatin1String(format)}, QDir::Files);
            EXPECT_EQ(QDir(output.path()).entryList(QDir::Files), images) << "a temporary file was left";
            EXPECT_EQ(run.out, QByteArray::number(images.size()) + "\n");
            EXPECT_EQ(IncompleteImages(output.path(), QLatin1String(format), 1920, 1080), QStringList{});
            const QByteArray lastLine = run.err.trimmed().split('\n').constLast();
            EXPECT_TRUE(lastLine == "Done." || lastLine == "Failed to convert to JPG.") << run.err.toStdString();
            if (images.size() < kFrames) {
                ++shortRuns;
                EXPECT_TRUE(run.err.contains("Out of memory")) << run.err.toStdString();
                EXPECT_EQ(run.exitCode, 1);
            }
            if (megabytes == loaded + 1000) {
                EXPECT_EQ(images.size(), kFrames) << "enough memory for every frame";
            }
        }
    }
    EXPECT_GT(shortRuns, 0) << "no limit was low enough to make the run short of memory";
}

}  // namespace
