// Which frames, from the window: a value that is no positive number, a time that is no time, or a "To"
// not after "From" gets a message that names the field, and no run starts; a whole choice takes the
// positions the rules (written again in Python) give, and is stored under keys of its own, to be
// restored at the next start.
#include "window_test_support.h"

#include "support/media_tools.h"
#include "window/file_list_widget.h"
#include "window/text_progress_bar.h"

#include <QDir>
#include <QTest>

class WhichFramesTest : public ConversionWindowTest {
    Q_OBJECT

private slots:
    void badFieldsAreNamedAndNothingStarts_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        const QString count = QStringLiteral("\"Which frames\" needs n, a whole number of at least 1.");
        const QString seconds = QStringLiteral("\"Which frames\" needs s, a number of seconds above 0 such as 10 or 0.5.");
        QTest::newRow("n of 0") << 1 << "0" << "" << "" << count;
        QTest::newRow("n not a number") << 3 << "many" << "" << "" << count;
        QTest::newRow("n of 2.5") << 1 << "2.5" << "" << "" << count;
        QTest::newRow("s of 0") << 2 << "0" << "" << "" << seconds;
        QTest::newRow("s empty") << 2 << "" << "" << "" << seconds;
        QTest::newRow("s negative") << 2 << "-1" << "" << "" << seconds;
        QTest::newRow("From not a time") << 0 << "" << "1:75" << ""
                                         << "\"From\" needs a time: seconds (90 or 12.5) or [h:]mm:ss (1:30), or nothing for the start.";
        QTest::newRow("To not a time") << 4 << "" << "" << "soon"
                                       << "\"To\" needs a time: seconds (90 or 12.5) or [h:]mm:ss (1:30), or nothing for the end.";
        QTest::newRow("To before From") << 0 << "" << "1:00" << "59.5" << "\"To\" must come after \"From\".";
        QTest::newRow("To at From") << 0 << "" << "2" << "2.000" << "\"To\" must come after \"From\".";
    }

    void badFieldsAreNamedAndNothingStarts()
    {
        QFETCH(int, rule);
        QFETCH(QString, value);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({MakeClip("clip.avi")}, 1);
        c.Combo2->setCurrentIndex(rule);
        c.Text2->setText(value);
        c.Text3->setText(from);
        c.Text4->setText(to);
        ExpectStartRefused(message);
    }

    void aChoiceTakesThePositionsOfTheRulesAndIsRestored()
    {
        const Form1Controls& c = ControlsOf(*form_);
        const QString clip = MakeClip("clip.mp4");
        ListVideos({clip}, 1);
        QVERIFY(!c.Text2->isEnabled());  // every frame takes no n
        c.Combo2->setCurrentIndex(2);
        QVERIFY(c.Text2->isEnabled());
        QTest::keyClicks(c.Text2, "0.5");
        QTest::keyClicks(c.Text3, "0:01.2");
        QTest::keyClicks(c.Text4, "3");
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));

        const ToolResult oracle = RunTool(QLatin1String(kPython),
            {QStringLiteral(STILLPRESS_TEST_SCRIPTS "/frame_selection.py"), clip, "--interval 0.5 --from 1.2 --to 3"});
        QCOMPARE(oracle.exitCode, 0);
        QStringList expected;
        for (const QByteArray& position : oracle.out.trimmed().split(' '))
            expected << QStringLiteral("clip_%1.bmp").arg(QString::fromLatin1(position));
        expected.sort();
        QCOMPARE(expected.size(), 4);
        QCOMPARE(FilesIn(Frames()), expected);
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("Done."));

        QCOMPARE(bench_->settings.Value("Which Frames").toString(), QStringLiteral("One frame every s seconds"));
        QCOMPARE(bench_->settings.Value("Which Frames Value").toString(), QStringLiteral("0.5"));
        QCOMPARE(bench_->settings.Value("From").toString(), QStringLiteral("0:01.2"));
        QCOMPARE(bench_->settings.Value("To").toString(), QStringLiteral("3"));
        Form1 again(QuietEnvironment(bench_->programFolder.path()));
        again.Form_Load();
        const Form1Controls restored = ControlsOf(again);
        QCOMPARE(restored.Combo2->currentText(), QStringLiteral("One frame every s seconds"));
        QCOMPARE(restored.Text2->text(), QStringLiteral("0.5"));
        QCOMPARE(restored.Text3->text(), QStringLiteral("0:01.2"));
        QCOMPARE(restored.Text4->text(), QStringLiteral("3"));
    }

    void aRangeBeyondTheEndIsNoFailure()
    {
        const Form1Controls& c = ControlsOf(*form_);
        ListVideos({MakeClip("clip.mp4")}, 1);
        c.Text3->setText("10:00");
        bench_->answerer.Queue(bench_->answerer.ClickOk());
        QTest::mouseClick(c.PushButton2, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered(60000));
        QCOMPARE(bench_->answerer.MessageBoxes().front().text, QStringLiteral("No frame is among those chosen."));
        QVERIFY(FilesIn(Frames()).isEmpty());
    }

private:
    // Four seconds at 10 frames a second, a key frame every second.
    QString MakeClip(const QString& name) const
    {
        const QString path = Videos() + "/" + name;
        MakeVideo(path, {"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10", "-frames:v", "40", "-c:v",
                            name.endsWith(".avi") ? "mjpeg" : "libx264", "-g", "10"});
        return path;
    }
};

QTEST_MAIN(WhichFramesTest)
#include "which_frames_test.moc"
