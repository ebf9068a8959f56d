// Runs that meet failures, seen from the window. A failure of the output folder (a full disk, a folder
// made read-only or removed mid-run) shows one "Application Error" report with the system's reason,
// then an end that says the run did not finish; the frames written before stay, each whole, and no
// temporary file is left. Many files that cannot be read need one click when the user so chooses, and
// the end counts them.
#include "window_test_support.h"

#include "support/complete_images.h"
#include "support/media_tools.h"
#include "support/scratch_mount.h"
#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/text_progress_bar.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

const QString kNotFinished = QStringLiteral("The run did not finish: images cannot be saved in the output folder.");
const QString kHideFileMessages = QStringLiteral("Don't show messages about other files that cannot be converted in this run");

}  // namespace

class RunFailuresTest : public ConversionWindowTest {
    Q_OBJECT

private slots:
    void cleanup()
    {
        mount_.reset();
        CloseBench();
    }

    // Also the measure for a thousand frames onto a full disk: how many dialogs, and what is left.
    void fullDiskShowsOneReportForAThousandFrames()
    {
        QString why;
        mount_ = ScratchMount::SmallDisk(Frames(), 2 * 1024 * 1024, why);
        if (!mount_)
            QSKIP(qPrintable("a small disk needs a tmpfs mount: " + why));
        ListVideos({Video("long.avi", 1000)}, 1);
        AnswerReportAndEnd();
        QTest::mouseClick(ControlsOf(*form_).PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(120000));
        QVERIFY(!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 500));

        // The measure, printed before it is judged.
        const QStringList left = FilesIn(Frames());
        const QStringList images = left.filter(QRegularExpression(QStringLiteral("^long_\\d+\\.bmp$")));
        qInfo("1000-frame video onto a 2 MiB disk: %d dialog(s) shown; left in the folder: %d file(s), "
              "%d named as frames, the last long_%d.bmp",
            int(bench_->answerer.MessageBoxes().size() + bench_->answerer.Unexpected().size()), int(left.size()),
            int(images.size()), LastFrameNumber(images));
        ExpectOneReportAndTheEnd("No space left on device");
        ExpectOnlyWholeImages();
        QVERIFY(!images.isEmpty());
    }

    void folderMadeReadOnlyMidRunShowsOneReport()
    {
        {
            QTemporaryDir probe;
            QString why;
            if (!ScratchMount::SmallDisk(probe.path(), 64 * 1024, why))
                QSKIP(qPrintable("a read-only folder for root needs a mount: " + why));
        }
        HoldRunBetweenVideos([this] {
            QString why;
            mount_ = ScratchMount::ReadOnly(Frames(), why);
            QVERIFY2(mount_, qPrintable(why));
        });
        ExpectOneReportAndTheEnd("Read-only file system", 1);
        ExpectOnlyWholeImages();
    }

    void folderRemovedMidRunShowsOneReport()
    {
        HoldRunBetweenVideos([this] { QVERIFY(QDir(Frames()).removeRecursively()); });
        QVERIFY(!QDir(Frames()).exists());  // the run made no new folder
        ExpectOneReportAndTheEnd("No such file or directory", 1);
    }

    void twoHundredUnreadableFilesNeedOneClick()
    {
        const Form1Controls& c = ControlsOf(*form_);
        QStringList broken;
        for (int i = 0; i < 200; ++i) {
            broken << Videos() + QStringLiteral("/broken %1.avi").arg(i, 3, 10, QLatin1Char('0'));
            QFile file(broken.back());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a video");
        }
        for (const QString& path : std::as_const(broken))
            c.ListView1->Append(QDir::toNativeSeparators(path));
        ListVideos({Video("good.avi", 3)}, 1);

        bench_->answerer.Queue(bench_->answerer.TickAndClickOk());
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(120000));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);

        const std::vector<SeenMessageBox>& boxes = bench_->answerer.MessageBoxes();
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(boxes[0].title, QStringLiteral("Stillpress"));
        QCOMPARE(boxes[0].text, "There was an error working with the file:\n" + QDir::toNativeSeparators(broken[0]));
        QCOMPARE(boxes[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes[0].buttonCount, 1);
        QCOMPARE(boxes[0].checkBox, kHideFileMessages);
        QCOMPARE(boxes[1].text, QStringLiteral("Done.\n200 files could not be converted."));
        QCOMPARE(boxes[1].checkBox, QString());
        QCOMPARE(FilesIn(Frames()), NumberedNames("good", 3, "bmp"));
    }

    void unreadableFilesLeftUntickedAreEachShownAndTheLastOffersNoChoice()
    {
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({Video("good.avi", 2)}, 1);
        QStringList broken;
        for (const char* name : {"first.avi", "last.avi"}) {
            broken << Videos() + "/" + name;
            QFile file(broken.back());
            QVERIFY(file.open(QIODevice::WriteOnly));
            c.ListView1->Append(QDir::toNativeSeparators(broken.back()));
        }
        for (int i = 0; i < 3; ++i)
            bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));

        const std::vector<SeenMessageBox>& boxes = bench_->answerer.MessageBoxes();
        QCOMPARE(boxes.size(), std::size_t{3});
        QCOMPARE(boxes[0].text, "There was an error working with the file:\n" + QDir::toNativeSeparators(broken[0]));
        QCOMPARE(boxes[0].checkBox, kHideFileMessages);
        QCOMPARE(boxes[1].text, "There was an error working with the file:\n" + QDir::toNativeSeparators(broken[1]));
        QCOMPARE(boxes[1].checkBox, QString());  // no file follows
        QCOMPARE(boxes[2].text, QStringLiteral("Done."));
    }

private:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;

    static int LastFrameNumber(const QStringList& images)
    {
        int last = -1;
        for (const QString& name : images)
            last = std::max(last, name.mid(5, name.size() - 9).toInt());  // between "long_" and ".bmp"
        return last;
    }
    QString Video(const QString& name, int frames) const
    {
        const QString path = Videos() + "/" + name;
        MakeVideo(path, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                            "-frames:v", QString::number(frames), "-c:v", "mjpeg", "-q:v", "5"});
        return path;
    }
    // A run of "first.avi" (two frames), a file that is no video, then "long.avi": `act` changes the
    // frames folder while the message about the unreadable file holds the run, once the first video's
    // images are all in it. A run caught in the middle by a clock would be a race on a busy machine.
    void HoldRunBetweenVideos(const std::function<void()>& act)
    {
        const QString broken = Videos() + "/broken.avi";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a video") > 0);
        file.close();
        ListVideos({Video("first.avi", 2), broken, Video("long.avi", 30)}, 1);
        bench_->answerer.Queue([this, act](QWidget* box) {
            if (QTest::qWaitFor([this] { return FilesIn(Frames()) == NumberedNames("first", 2, "bmp"); }, 10000))
                act();
            bench_->answerer.ClickOk()(box);
        });
        AnswerReportAndEnd();
        QTest::mouseClick(ControlsOf(*form_).PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text,
            "There was an error working with the file:\n" + QDir::toNativeSeparators(broken));
    }
    // The report and the end message, with what the bars read under the end message.
    void AnswerReportAndEnd()
    {
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        bench_->answerer.Queue([this](QWidget* box) {
            const Form1Controls& c = ControlsOf(*form_);
            barsAtTheEnd_ = {c.ProgressBar1->text(), c.ProgressBar2->text(), form_->IsBusy() ? "busy" : "idle"};
            bench_->answerer.ClickOk()(box);
        });
    }
    // After `before` other messages, one report of the folder's failure with `cause`, then the end
    // message over resting bars.
    void ExpectOneReportAndTheEnd(const QString& cause, std::size_t before = 0)
    {
        const std::vector<SeenMessageBox>& all = bench_->answerer.MessageBoxes();
        QVERIFY(all.size() >= before);
        const std::vector<SeenMessageBox> boxes(all.begin() + before, all.end());
        QCOMPARE(boxes.size(), std::size_t{2});
        QCOMPARE(boxes[0].title, QStringLiteral("Application Error"));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        const QStringList lines = boxes[0].text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        const QRegularExpression failed(QStringLiteral("^Cannot save the image\\. Cannot write %1long_\\d+\\.bmp: %2$")
                                            .arg(QRegularExpression::escape(QDir::toNativeSeparators(Frames()) + QDir::separator()),
                                                QRegularExpression::escape(cause)));
        QVERIFY2(failed.match(lines[0]).hasMatch(), qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("in FRAMEVIS2021/08/31.Form1.PushButton2_Click at line 246"));
        QCOMPARE(boxes[1].title, QStringLiteral("Stillpress"));
        QCOMPARE(boxes[1].text, kNotFinished);
        QCOMPARE(barsAtTheEnd_, (QStringList{"Progress Bar 1", "Progress Bar 2", "idle"}));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);
    }
    // The frames folder holds only images named as frames, each whole: nothing partial, no temporary file.
    void ExpectOnlyWholeImages()
    {
        const QStringList all = FilesIn(Frames());
        QCOMPARE(all.filter(QRegularExpression(QStringLiteral("^(first|long)_\\d+\\.bmp$"))), all);
        QCOMPARE(IncompleteImages(Frames(), "bmp", kWidth, kHeight), QStringList{});
    }

    std::optional<ScratchMount> mount_;  // over the frames folder
    QStringList barsAtTheEnd_;
};

QTEST_MAIN(RunFailuresTest)
#include "run_failures_test.moc"
