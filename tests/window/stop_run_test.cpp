// Stopping a run from the window. Start pressed while a run works, or Esc, asks "Stop converting?"
// with No as the answer Enter gives; the run waits for the answer. Yes ends it after the frames already
// with an encoder, each written whole, and says "Stopped."; No lets it go on. A run waiting on one of
// its own messages stops after that message.
#include "window_test_support.h"

#include "support/complete_images.h"
#include "support/media_tools.h"
#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/text_progress_bar.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

// What the stop question showed.
struct SeenQuestion {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton preset = QMessageBox::NoButton;  // the answer Enter gives
};

static SeenQuestion Look(QMessageBox& box)
{
    return {box.windowTitle(), box.text(), box.icon(), box.standardButtons(), box.standardButton(box.defaultButton())};
}

// The bar's text once it has stayed the same for half a second (the run is waiting for the answer,
// and the window has shown its last progress); none when it never settles.
static std::optional<QString> SettledText(const TextProgressBar& bar)
{
    QString text = bar.text();
    QElapsedTimer unchanged;
    unchanged.start();
    const bool settled = QTest::qWaitFor([&] {
        if (bar.text() != text) {
            text = bar.text();
            unchanged.restart();
        }
        return unchanged.elapsed() >= 500;
    }, 20000);
    return settled ? std::optional<QString>(text) : std::nullopt;
}

class StopRunTest : public ConversionWindowTest {
    Q_OBJECT

private slots:
    void init()
    {
        OpenBench();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
    }

    void yesKeepsExactlyTheFramesShownEachWhole()
    {
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({LongVideo("long.avi"), ShortVideo("next.avi")}, 3);  // PNG
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(FilesIn(Frames()).size() >= 5, 60000);

        SeenQuestion question;
        QString shown;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            question = Look(*box);
            shown = SettledText(*c.ProgressBar2).value_or("the bar never settled");
            box->button(QMessageBox::Yes)->click();
        });
        QStringList barsAtTheEnd;
        bench_->answerer.Queue([&](QWidget* box) {
            barsAtTheEnd = {c.ProgressBar1->text(), QString::number(c.ProgressBar1->value()), c.ProgressBar2->text(),
                QString::number(c.ProgressBar2->value()), form_->IsBusy() ? "busy" : "idle"};
            bench_->answerer.ClickOk()(box);
        });
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);

        QCOMPARE(question.title, QStringLiteral("Stillpress"));
        QCOMPARE(question.text, QStringLiteral("Stop converting?"));
        QCOMPARE(question.icon, QMessageBox::NoIcon);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.preset, QMessageBox::No);
        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Stopped."));
        QCOMPARE(bench_->answerer.MessageBoxes().front().title, QStringLiteral("Stillpress"));
        QCOMPARE(barsAtTheEnd, (QStringList{"Progress Bar 1", "0", "Progress Bar 2", "0", "idle"}));
        QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);

        // The frames the bar had counted when the user was asked, no more and no fewer, each whole;
        // nothing of the next video, nothing under a temporary name.
        const QRegularExpressionMatch counted = QRegularExpression(QStringLiteral("^Frames Processed: (\\d+) of 1500 frame\\(s\\)$")).match(shown);
        QVERIFY2(counted.hasMatch(), qPrintable(shown));
        const int frames = counted.captured(1).toInt();
        QVERIFY(frames >= 5 && frames < 1500);
        QCOMPARE(FilesIn(Frames()), NumberedNames("long", frames, "png"));
        QCOMPARE(IncompleteImages(Frames(), "png", kWidth, kHeight), QStringList{});
    }

    void escapeAsksTooAndEnterAnswersNo()
    {
        const Form1Controls& c = ControlsOf(*form_);
        // With no run in progress, Esc asks nothing.
        QTest::keyClick(form_, Qt::Key_Escape);
        QVERIFY(!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 300));

        ListVideos({LongVideo("long.avi")}, 3);  // PNG
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(FilesIn(Frames()).size() >= 3, 60000);

        SeenQuestion first;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            first = Look(*box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        c.ListView1->setFocus();
        QTest::keyClick(c.ListView1, Qt::Key_Escape);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(first.text, QStringLiteral("Stop converting?"));

        // No: the run goes on writing.
        const qsizetype writtenThen = FilesIn(Frames()).size();
        QTRY_VERIFY_WITH_TIMEOUT(FilesIn(Frames()).size() > writtenThen + 3, 60000);
        QVERIFY(form_->IsConverting());

        // Esc from the folder box, and Yes. The user is back in the window the question left.
        SeenQuestion second;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            second = Look(*box);
            // Whatever came, it is answered, so a wrong box fails the test instead of hanging it.
            box->button(box->standardButtons().testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)->click();
        });
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        c.Text1->setFocus();
        QTest::keyClick(c.Text1, Qt::Key_Escape);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);
        QCOMPARE(second.text, QStringLiteral("Stop converting?"));

        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Stopped."));
        const QStringList written = FilesIn(Frames());
        QVERIFY2(written.size() < 1500, qPrintable(QString::number(written.size())));
        QCOMPARE(written, NumberedNames("long", int(written.size()), "png"));
        QCOMPARE(IncompleteImages(Frames(), "png", kWidth, kHeight), QStringList{});
    }

    void aRunWaitingOnItsOwnMessageStopsAfterIt()
    {
        const Form1Controls& c = ControlsOf(*form_);
        const QString broken = Videos() + "/broken.avi";
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a video");
        file.close();
        ListVideos({broken, LongVideo("long.avi")}, 1);

        // The user asks to stop while the run's message about the first file is up.
        QPointer<QMessageBox> message;
        bench_->answerer.Queue([&](QWidget* dialog) {
            message = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(message);
            QTimer::singleShot(0, c.PushButton2, &QPushButton::click);
        });
        bool messageStillUp = false;
        bool stillConverting = false;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* question = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(question);
            QCOMPARE(question->text(), QStringLiteral("Stop converting?"));
            question->button(QMessageBox::Yes)->click();
            // The run still waits on its message, which only the user closes.
            QTimer::singleShot(200, this, [&] {
                messageStillUp = message && message->isVisible();
                stillConverting = form_->IsConverting();
                if (message)
                    message->button(QMessageBox::Ok)->click();
            });
        });
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);

        QVERIFY(messageStillUp);
        QVERIFY(stillConverting);
        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Stopped."));
        QVERIFY(FilesIn(Frames()).isEmpty());  // stopped before the next file
    }

private:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    // A video long enough that the run is still busy when the user acts, whatever the machine.
    QString LongVideo(const QString& name) const
    {
        const QString path = Videos() + "/" + name;
        MakeVideo(path, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1x%2:rate=25").arg(kWidth).arg(kHeight),
                            "-frames:v", "1500", "-c:v", "mjpeg", "-q:v", "5"});
        return path;
    }
    QString ShortVideo(const QString& name) const
    {
        const QString path = Videos() + "/" + name;
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "5", "-c:v", "mjpeg"});
        return path;
    }

};

QTEST_MAIN(StopRunTest)
#include "stop_run_test.moc"
