// Whole runs from the window: the user adds videos, chooses the options, presses Start and reads the
// bars and the final message; also the run's prompt and messages, Start while running (which asks
// whether to stop), and closing the window in the middle of a run.
#include "window_test_support.h"

#include "support/media_tools.h"
#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/text_progress_bar.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QInputDialog>
#include <QRegularExpression>
#include <QTest>

namespace {

// An image file as top-down BGR rows without padding, read by Qt's own image readers.
QByteArray BgrRows(const QString& path)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_BGR888);
    QByteArray rows;
    for (int y = 0; y < image.height(); ++y)
        rows.append(reinterpret_cast<const char*>(image.constScanLine(y)), qsizetype(image.width()) * 3);
    return rows;
}

}  // namespace

class ConversionFlowTest : public ConversionWindowTest {
    Q_OBJECT

private slots:
    void wholeUserFlowConvertsTwoVideosToPng()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/clip one.avi", {"-f", "lavfi", "-i", "testsrc2=size=640x480:rate=10", "-frames:v", "15", "-c:v", "mjpeg"});
        MakeVideo(videos + "/second.avi",
            {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=10", "-frames:v", "15", "-c:v", "rawvideo", "-pix_fmt", "bgr24"});
        const Form1Controls& c = ControlsOf(*form_);

        bench_->answerer.Queue(ModalAnswerer::PickFiles(videos, {"clip one.avi", "second.avi"}));
        QTest::mouseClick(c.PushButton1, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(c.ListView1->Count(), 2);

        QTest::mouseClick(c.OptionButton(3), Qt::LeftButton);
        c.Combo1->setFocus();
        QTest::keyClick(c.Combo1, Qt::Key_Down);
        QCOMPARE(c.Combo1->currentText(), QStringLiteral("Save every 10 frames in AVI as JPG"));
        const QString frames = Frames();
        bench_->answerer.Queue(ModalAnswerer::PickFolder(frames));
        QTest::mouseClick(c.PushButton7, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(c.Text1->text(), QDir::toNativeSeparators(frames) + QDir::separator());

        // Watch the bars while the run works, and what they read once the final message is up.
        QStringList barTexts;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            for (const QString& text : {c.ProgressBar1->text(), c.ProgressBar2->text()}) {
                if (!barTexts.contains(text))
                    barTexts << text;
            }
        });
        watch.start(1);
        QStringList barsAtTheEnd;
        bench_->answerer.Queue([&](QWidget* box) {
            barsAtTheEnd = {c.ProgressBar1->text(), QString::number(c.ProgressBar1->value()), c.ProgressBar2->text(),
                QString::number(c.ProgressBar2->value()), form_->IsBusy() ? "busy" : "idle"};
            bench_->answerer.ClickOk()(box);
        });

        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(120000));
        watch.stop();

        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().title, QStringLiteral("Stillpress"));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Done."));
        QCOMPARE(bench_->answerer.MessageBoxes().front().icon, QMessageBox::NoIcon);
        QCOMPARE(barsAtTheEnd, (QStringList{"Progress Bar 1", "0", "Progress Bar 2", "0", "idle"}));
        const QRegularExpression framesProcessed(QStringLiteral(R"(^Frames Processed: ([1-9]|10) of 10 frame\(s\)$)"));
        QVERIFY2(!barTexts.filter(framesProcessed).isEmpty(), qPrintable(barTexts.join(" | ")));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);
        QCOMPARE(form_->cursor().shape(), Qt::ArrowCursor);

        QStringList expected = NumberedNames("clip one", 10, "png") + NumberedNames("second", 10, "png");
        expected.sort();
        QCOMPARE(FilesIn(frames), expected);
        const ReferenceVideo second = DecodeWithFfmpeg(videos + "/second.avi");
        const ReferenceVideo first = DecodeWithFfmpeg(videos + "/clip one.avi");
        for (int position = 0; position < 10; ++position) {
            const QString secondFrame = frames + "/second_" + QString::number(position) + ".png";
            QCOMPARE(QImageReader(secondFrame).format(), QByteArray("png"));
            QVERIFY2(BgrRows(secondFrame) == second.pictures.at(std::size_t(position)), qPrintable(secondFrame));
            const QByteArray firstFrame = BgrRows(frames + "/clip one_" + QString::number(position) + ".png");
            QVERIFY2(Psnr(firstFrame, first.pictures.at(std::size_t(position))) >= 40.0, qPrintable(QString::number(position)));
        }
    }

    void startWithAnEmptyListSaysSo()
    {
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(ControlsOf(*form_).PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(bench_->answerer.MessageBoxes().front().title, QStringLiteral("Stillpress"));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("No files added."));
        QCOMPARE(bench_->answerer.MessageBoxes().front().buttonCount, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);
        QVERIFY(!form_->IsBusy());
    }

    void xPromptAsksForTheFrameCount()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/short.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "15", "-c:v", "mjpeg"});
        const Form1Controls& c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/short.avi"));
        c.Combo1->setCurrentIndex(4);
        QTest::mouseClick(c.OptionButton(1), Qt::LeftButton);
        c.Text1->setText(Frames());

        QString title;
        QString label;
        QString offered;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* prompt = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(prompt);
            title = prompt->windowTitle();
            label = prompt->labelText();
            offered = prompt->textValue();
            prompt->setTextValue(QStringLiteral(" 2.5 "));
            prompt->accept();
        });
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));

        QCOMPARE(title, QStringLiteral("Enter x"));
        QCOMPARE(label, QStringLiteral("Enter x:"));
        QCOMPARE(offered, QStringLiteral("10"));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Done."));
        QCOMPARE(FilesIn(Frames()), NumberedNames("short", 2, "bmp"));  // 2.5 rounds to even
    }

    void entriesMovedWhileARunIsInProgressAreTakenInTheirNewOrder()
    {
        // Two videos with the same stem: the one converted first keeps it, the second gets " (2)".
        const QString videos = Videos();
        QVERIFY(QDir(videos).mkpath("three"));
        QVERIFY(QDir(videos).mkpath("five"));
        MakeVideo(videos + "/three/clip.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "3", "-c:v", "mjpeg"});
        MakeVideo(videos + "/five/clip.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "5", "-c:v", "mjpeg"});
        const Form1Controls c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/three/clip.avi"));
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/five/clip.avi"));
        c.Combo1->setCurrentIndex(4);
        QTest::mouseClick(c.OptionButton(1), Qt::LeftButton);
        c.Text1->setText(Frames());

        // The run waits for x; meanwhile the user carries the second entry above the first.
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* prompt = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(prompt);
            QWidget* area = c.ListView1->viewport();
            const QPoint first = c.ListView1->visualRect(c.ListView1->model()->index(0, 0)).center();
            const QPoint second = c.ListView1->visualRect(c.ListView1->model()->index(1, 0)).center();
            QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, second);
            QTest::mouseMove(area, first);
            QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, first);
            prompt->accept();  // the offered 10 takes every frame of both
        });
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));

        QCOMPARE(c.ListView1->Texts(), (QStringList{QDir::toNativeSeparators(videos + "/five/clip.avi"),
                                           QDir::toNativeSeparators(videos + "/three/clip.avi")}));
        QCOMPARE(bench_->answerer.MessageBoxes().back().text, QStringLiteral("Done."));
        QStringList expected = NumberedNames("clip", 5, "bmp") + NumberedNames("clip (2)", 3, "bmp");
        expected.sort();
        QCOMPARE(FilesIn(Frames()), expected);
    }

    void aFrameThatCannotBeWrittenIsReportedAndTheRunGoesOn()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/a.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "5", "-c:v", "mjpeg"});
        const QString frames = Frames();
        QVERIFY(QDir(frames).mkdir("a_3.bmp"));  // a folder where the fourth frame's file would go
        const Form1Controls& c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/a.avi"));
        c.Text1->setText(frames);
        QTest::mouseClick(c.OptionButton(1), Qt::LeftButton);

        bench_->answerer.Queue(bench_->answerer.ClickOk());
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));

        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{2});
        const SeenMessageBox& report = bench_->answerer.MessageBoxes().front();
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.icon, QMessageBox::Warning);
        QCOMPARE(report.buttonCount, 1);
        const QStringList lines = report.text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].contains(QStringLiteral("a_3.bmp")), qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("in FRAMEVIS2021/08/31.Form1.PushButton2_Click at line 246"));
        QCOMPARE(lines[2], QString());
        QCOMPARE(lines[3], QStringLiteral("Please email screenshot of this message to support@stillpress.org"));
        QCOMPARE(bench_->answerer.MessageBoxes().back().text, QStringLiteral("Done."));
        QCOMPARE(FilesIn(frames), (QStringList{"a_0.bmp", "a_1.bmp", "a_2.bmp", "a_4.bmp"}));
    }

    void startWhileARunIsInProgressAsksToStopAndNoLetsItFinish()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/a.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "15", "-c:v", "mjpeg"});
        const Form1Controls& c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/a.avi"));
        c.Text1->setText(Frames());
        QTest::mouseClick(c.OptionButton(1), Qt::LeftButton);

        QStringList question;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            question = {box->windowTitle(), box->text(), box->defaultButton() == box->button(QMessageBox::No) ? "No" : "not No",
                QString::number(box->standardButtons() == (QMessageBox::Yes | QMessageBox::No))};
            box->button(QMessageBox::No)->click();
        });
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);  // a second click while the first run works
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);

        QCOMPARE(question, (QStringList{"Stillpress", "Stop converting?", "No", "1"}));
        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Done."));
        QVERIFY(!QTest::qWaitFor([&] { return bench_->answerer.MessageBoxes().size() > 1; }, 300));  // no second run
        QCOMPARE(FilesIn(Frames()), NumberedNames("a", 15, "bmp"));
    }

    void closingTheWindowStopsARunAtOnce()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/long.avi",
            {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-frames:v", "1500", "-c:v", "mjpeg", "-q:v", "5"});
        const Form1Controls& c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/long.avi"));
        c.Text1->setText(Frames());
        QTest::mouseClick(c.OptionButton(5), Qt::LeftButton);

        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(c.ProgressBar2->text().startsWith("Frames Processed: "), 30000);
        QVERIFY(form_->IsBusy());
        QCOMPARE(form_->cursor().shape(), Qt::WaitCursor);
        form_->close();

        // The run's thread has ended when close returns: no file appears after that, and no final message.
        QVERIFY(!form_->IsConverting());
        const QStringList written = FilesIn(Frames());
        QVERIFY(!QTest::qWaitFor([&] { return FilesIn(Frames()) != written; }, 300));
        QVERIFY2(written.size() < 1500, qPrintable(QString::number(written.size())));
        QVERIFY(bench_->answerer.MessageBoxes().empty());
    }

    void closingTheWindowWhileThePromptIsOpenEndsTheRun()
    {
        const QString videos = Videos();
        MakeVideo(videos + "/a.avi", {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "15", "-c:v", "mjpeg"});
        const Form1Controls& c = ControlsOf(*form_);
        c.ListView1->Append(QDir::toNativeSeparators(videos + "/a.avi"));
        c.Text1->setText(Frames());
        c.Combo1->setCurrentIndex(4);

        bool convertingAfterClose = true;
        bench_->answerer.Queue([&](QWidget* prompt) {
            QVERIFY(qobject_cast<QInputDialog*>(prompt));
            form_->close();  // the run waits for this prompt; closing must not wait for it
            convertingAfterClose = form_->IsConverting();
            qobject_cast<QDialog*>(prompt)->reject();
        });
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QVERIFY(!convertingAfterClose);
        QVERIFY(bench_->answerer.MessageBoxes().empty());
        QVERIFY(FilesIn(Frames()).isEmpty());
    }

private:
};

QTEST_MAIN(ConversionFlowTest)
#include "conversion_flow_test.moc"
