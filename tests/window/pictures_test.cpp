// The frame "Pictures", from the window: a size that is no positive whole number gets a message naming
// its field and no run starts; its check boxes file the images in a folder per video, with numbers of
// equal length, keeping the images there already; every choice is stored and restored.
#include "window_test_support.h"

#include "support/media_tools.h"
#include "window/file_list_widget.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

class PicturesTest : public ConversionWindowTest {
    Q_OBJECT

private slots:
    void badSizesAreNamedAndNothingStarts_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("message");
        const QString width = QStringLiteral("The width of \"Fit within\" needs a whole number of pixels from 1 to 16384, or nothing.");
        const QString height = QStringLiteral("The height of \"Fit within\" needs a whole number of pixels from 1 to 16384, or nothing.");
        QTest::newRow("width 0") << "0" << "" << width;
        QTest::newRow("width a word") << "wide" << "240" << width;
        QTest::newRow("height negative") << "" << "-3" << height;
        QTest::newRow("height too large") << "320" << "20000" << height;
        QTest::newRow("height not whole") << "" << "240.5" << height;
    }

    void badSizesAreNamedAndNothingStarts()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, message);
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({Clip("clip.avi")}, 1);
        c.Text5->setText(width);
        c.Text6->setText(height);
        ExpectStartRefused(message);
    }

    void aFolderPerVideoWithNumbersOfEqualLengthKeepsWhatIsThere()
    {
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({Clip("clip.avi")}, 1);
        QVERIFY(QDir(Frames()).mkdir("clip"));
        QFile there(Frames() + "/clip/clip_03.bmp");
        QVERIFY(there.open(QIODevice::WriteOnly));
        there.write("kept");
        there.close();
        for (QCheckBox* box : {c.Check3, c.Check4, c.Check5})
            QTest::mouseClick(box, Qt::LeftButton);
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Done.\n11 written, 1 kept."));
        QVERIFY(FilesIn(Frames()).isEmpty());  // every image in the folder of its video
        QCOMPARE(FilesIn(Frames() + "/clip"), (QStringList{"clip_00.bmp", "clip_01.bmp", "clip_02.bmp", "clip_03.bmp",
            "clip_04.bmp", "clip_05.bmp", "clip_06.bmp", "clip_07.bmp", "clip_08.bmp", "clip_09.bmp", "clip_10.bmp", "clip_11.bmp"}));
        QVERIFY(there.open(QIODevice::ReadOnly));
        QCOMPARE(there.readAll(), QByteArray("kept"));
        there.close();

        // Fitted within 40 wide: the 64x48 pictures come out 40x30.
        QTRY_VERIFY_WITH_TIMEOUT(!form_->IsConverting(), 5000);
        QTest::keyClicks(c.Text5, "40");
        QVERIFY(QFile::remove(there.fileName()));
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QCOMPARE(QImage(there.fileName()).size(), QSize(40, 30));
        QCOMPARE(QImage(Frames() + "/clip/clip_04.bmp").size(), QSize(64, 48));  // kept as it was
        c.Text5->clear();

        c.Text5->setText("320");
        QTest::mouseClick(c.Check1, Qt::LeftButton);
        for (const char* key : {"Folder Per Video", "Numbers Of Equal Length", "Keep Existing Images", "Square Pixels"})
            QCOMPARE(bench_->settings.Value(QLatin1String(key)).toString(), QStringLiteral("1"));
        QCOMPARE(bench_->settings.Value("Fit Width").toString(), QStringLiteral("320"));
        QVERIFY(!bench_->settings.Contains("Deinterlace"));  // never touched: nothing stored
        Form1 again(QuietEnvironment(bench_->programFolder.path()));
        again.Form_Load();
        const Form1Controls restored = ControlsOf(again);
        QCOMPARE(restored.Text5->text(), QStringLiteral("320"));
        QVERIFY(restored.Check1->isChecked() && restored.Check3->isChecked() && restored.Check4->isChecked());
        QVERIFY(restored.Check5->isChecked() && !restored.Check2->isChecked());
    }

private:
    QString Clip(const QString& name) const
    {
        const QString path = Videos() + "/" + name;
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "12", "-c:v", "mjpeg"});
        return path;
    }
};

QTEST_MAIN(PicturesTest)
#include "pictures_test.moc"
