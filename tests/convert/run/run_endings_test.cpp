// How a run ends when it does not simply run out of files: the user asks it to stop, or files it
// cannot read pile up and the user chooses to see no more messages about them.
#include "support/complete_images.h"
#include "support/media_tools.h"
#include "support/recording_host.h"

#include "convert/run/conversion_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kCannotRead = QStringLiteral("There was an error working with the file:\r\n");

class RunEndingsTest : public ::testing::Test {
protected:
    void SetUp() override { host.outputFolder = output.path(); }

    QString Video(const QString& name, int frames)
    {
        const QString path = inputs.filePath(name);
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25", "-frames:v", QString::number(frames), "-c:v", "mjpeg", "-f", "avi"});
        return path;
    }
    // A file named like a video that holds none.
    QString Unreadable(const QString& name)
    {
        const QString path = inputs.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a video");
        return path;
    }
    QStringList Written() const { return QDir(output.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir inputs;
    QTemporaryDir output;
    RecordingHost host;
    std::atomic<bool> converting{false};
};

TEST_F(RunEndingsTest, StopAskedFinishesTheFramesAlreadyDispatchedAndSaysStopped)
{
    host.items = {Video("clip.avi", 40), Video("more.avi", 5)};
    int dispatched = 0;
    host.beforeRead = [&](const char* member) {
        // Each frame reads the format once, just before it goes to an encoder.
        if (QByteArray(member) == "Format" && ++dispatched == 7)
            host.stopAsked = true;
    };
    const auto outcome = ConversionRun::Execute(host, converting);

    const QStringList expected = {"clip_0.bmp", "clip_1.bmp", "clip_2.bmp", "clip_3.bmp", "clip_4.bmp", "clip_5.bmp", "clip_6.bmp"};
    EXPECT_EQ(Written(), expected);
    EXPECT_EQ(IncompleteImages(output.path(), "bmp", 96, 64), QStringList{});
    EXPECT_EQ(outcome.framesWritten, 7);
    EXPECT_EQ(host.messages, QStringList{"Stopped."});
    EXPECT_FALSE(host.files.contains("Processing: more.avi"));
    EXPECT_EQ(host.files.last(), "Progress Bar 1");
    EXPECT_EQ(host.frames.last(), "Progress Bar 2");
    EXPECT_EQ(host.filesValue, 0);
    EXPECT_EQ(host.framesValue, 0);
    EXPECT_FALSE(host.busy);
    EXPECT_FALSE(converting);
}

TEST_F(RunEndingsTest, StopAskedBeforeAnyFrameStillSaysStopped)
{
    host.items = {Video("clip.avi", 3)};
    host.stopAsked = true;
    const auto outcome = ConversionRun::Execute(host, converting);
    EXPECT_TRUE(Written().isEmpty());
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_EQ(host.messages, QStringList{"Stopped."});
}

TEST_F(RunEndingsTest, FileMessagesEachOfferToHideTheRestWhileFilesFollow)
{
    const QString first = Unreadable("first.avi");
    const QString second = Unreadable("second.avi");
    const QString last = Unreadable("last.avi");
    host.items = {first, second, last};
    ConversionRun::Execute(host, converting);
    // Not hidden: today's messages, word for word, and today's end.
    EXPECT_EQ(host.messages, (QStringList{kCannotRead + first, kCannotRead + second, kCannotRead + last, "Failed to convert to JPG."}));
    EXPECT_EQ(host.offers, (std::vector<bool>{true, true, false}));
}

TEST_F(RunEndingsTest, HiddenFileMessagesAreCountedAtTheEnd)
{
    host.hideFileMessages = true;
    QStringList items;
    for (int i = 0; i < 4; ++i)
        items << Unreadable(QStringLiteral("broken %1.avi").arg(i));
    items << Video("good.avi", 3) << Unreadable("broken 4.avi");
    host.items = items;
    const auto outcome = ConversionRun::Execute(host, converting);
    EXPECT_EQ(host.messages, (QStringList{kCannotRead + items[0], "Done.\r\n5 files could not be converted."}));
    EXPECT_EQ(host.offers, std::vector<bool>{true});
    EXPECT_EQ(outcome.framesWritten, 3);
    EXPECT_EQ(Written(), (QStringList{"good_0.bmp", "good_1.bmp", "good_2.bmp"}));
}

TEST_F(RunEndingsTest, OneHiddenFileIsCountedInTheSingular)
{
    host.hideFileMessages = true;
    const QString broken = Unreadable("broken.avi");
    host.items = {broken, Video("good.avi", 2)};
    ConversionRun::Execute(host, converting);
    EXPECT_EQ(host.messages, (QStringList{kCannotRead + broken, "Done.\r\n1 file could not be converted."}));
}

TEST_F(RunEndingsTest, AStoppedRunCountsTheFilesWhoseMessagesWereHidden)
{
    host.hideFileMessages = true;
    const QString broken = Unreadable("broken.avi");
    host.items = {broken, Unreadable("also broken.avi"), Video("long.avi", 30)};
    int dispatched = 0;
    host.beforeRead = [&](const char* member) {
        if (QByteArray(member) == "Format" && ++dispatched == 2)
            host.stopAsked = true;
    };
    ConversionRun::Execute(host, converting);
    EXPECT_EQ(host.messages, (QStringList{kCannotRead + broken, "Stopped.\r\n2 files could not be converted."}));
    EXPECT_EQ(Written(), (QStringList{"long_0.bmp", "long_1.bmp"}));
}

}  // namespace
