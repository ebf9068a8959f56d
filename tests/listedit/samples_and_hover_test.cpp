// The shipped sample videos, their record at first start, the samples button, and the pointer that
// follows the mouse over the window.
#include "filelist/sample_snapshot.h"
#include "filelist/sample_store.h"
#include "listedit/sample_videos.h"
#include "listedit_test_support.h"
#include "window/file_list_widget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTest>

namespace {

const QStringList kSampleNames{QStringLiteral("Sample 1 - Motion JPEG.avi"), QStringLiteral("Sample 2 - MPEG-4.avi"),
    QStringLiteral("Sample 3 - Microsoft Video 1.avi")};

void CopyBuiltSamples(const QString& programFolder)
{
    const QString samples = programFolder + QStringLiteral("/Samples");
    QVERIFY(QDir().mkpath(samples));
    for (const QString& name : kSampleNames)
        QVERIFY(QFile::copy(QStringLiteral(STILLPRESS_BUILT_SAMPLES_DIR "/") + name, samples + QLatin1Char('/') + name));
}

QStringList SamplePaths(const QString& programFolder)
{
    QStringList paths;
    for (const QString& name : kSampleNames)
        paths << Native(programFolder + QStringLiteral("/Samples/") + name);
    return paths;
}

void RecordAtFirstStart(Form1Environment& environment)
{
    environment.firstRunSampleStep = RecordSampleSnapshot;
}

QString RecordedSnapshot(const ThrowAwaySettings& settings)
{
    return UnscrambleText(settings.Value(QStringLiteral("Snapshot")).toString(), kSampleSnapshotKey);
}

// What ffprobe, an independent reader, says of a video's first stream: codec name and frame count.
QStringList Probe(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
        QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
        QStringLiteral("stream=codec_name,nb_read_frames"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0 || !probe.readAllStandardError().isEmpty())
        return {};
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed().split(QLatin1Char(','));
}

}  // namespace

class SamplesAndHoverTest : public QObject {
    Q_OBJECT
private slots:
    void shippedSamplesAreShortVideosOfThreeCodecs();
    void firstStartRecordsTheSamplesOnce();
    void anEmptySamplesFolderRecordsNothing();
    void samplesAreAddedOnceAndTheQuestionComesEveryTime();
    void handOverButtonsDefaultOverTheRest();
    void busyPointerSurvivesHovering();
};

void SamplesAndHoverTest::shippedSamplesAreShortVideosOfThreeCodecs()
{
    const QDir samples(QStringLiteral(STILLPRESS_BUILT_SAMPLES_DIR));
    QCOMPARE(samples.entryList(QDir::Files, QDir::Name), kSampleNames);
    QSet<QString> codecs;
    for (const QString& name : kSampleNames) {
        const QString path = samples.filePath(name);
        QVERIFY2(QFileInfo(path).size() < 300 * 1024, qPrintable(name));
        const QStringList probed = Probe(path);
        QVERIFY2(probed.size() == 2, qPrintable(name));
        codecs << probed.at(0);
        QVERIFY2(probed.at(1).toInt() >= 20, qPrintable(name + QStringLiteral(": ") + probed.at(1)));
    }
    QCOMPARE(codecs, (QSet<QString>{QStringLiteral("mjpeg"), QStringLiteral("mpeg4"), QStringLiteral("msvideo1")}));
}

void SamplesAndHoverTest::firstStartRecordsTheSamplesOnce()
{
    ThrowAwaySettings settings;
    QTemporaryDir programFolder;
    CopyBuiltSamples(programFolder.path());
    {
        Form1Environment environment = QuietEnvironment(programFolder.path());
        RecordAtFirstStart(environment);
        Form1 form(std::move(environment));
        form.Form_Load();
    }
    QCOMPARE(RecordedSnapshot(settings), SamplePaths(programFolder.path()).join(QLatin1Char('|')));

    // Once recorded, later starts leave the record as it was.
    MakeFile(programFolder.path() + QStringLiteral("/Samples/added later.avi"));
    Form1Environment environment = QuietEnvironment(programFolder.path());
    RecordAtFirstStart(environment);
    Form1 form(std::move(environment));
    form.Form_Load();
    QCOMPARE(RecordedSnapshot(settings), SamplePaths(programFolder.path()).join(QLatin1Char('|')));
}

void SamplesAndHoverTest::anEmptySamplesFolderRecordsNothing()
{
    WindowUnderTest window([](const QString& programFolder) { QVERIFY(QDir(programFolder).mkdir(QStringLiteral("Samples"))); },
        RecordAtFirstStart);
    QVERIFY(window.Settings().Contains(QStringLiteral("Snapshot")));
    QCOMPARE(window.Settings().Value(QStringLiteral("Snapshot")).toString(), QString());
}

void SamplesAndHoverTest::samplesAreAddedOnceAndTheQuestionComesEveryTime()
{
    QList<QUrl> opened;
    WindowUnderTest window(CopyBuiltSamples, [&opened](Form1Environment& environment) {
        RecordAtFirstStart(environment);
        environment.openFolder = [&opened](const QUrl& folder) { opened << folder; };
    });
    const QStringList samples = SamplePaths(window.ProgramFolder());
    Form1& form = window.Form();
    ControlsOf(form).ListView1->Append(samples.at(1));  // listed already: not added again

    ModalAnswerer answerer;
    std::vector<SeenMessageBox> questions;
    for (int press = 0; press < 2; ++press) {
        answerer.Queue(AnswerQuestion(QMessageBox::No, &questions));
        ControlsOf(form).PushButton5->click();
        QVERIFY(answerer.WaitUntilAnswered());
    }
    QCOMPARE(window.Entries(), (QStringList{samples.at(1), samples.at(0), samples.at(2)}));
    QCOMPARE(window.RunEntries(), window.Entries());
    QCOMPARE(questions.size(), std::size_t{2});
    for (const SeenMessageBox& question : questions) {
        QCOMPARE(question.title, QStringLiteral("Stillpress"));
        QCOMPARE(question.text, QStringLiteral("Would you like this software to open the folder where these sample files "
                                               "are stored (so that you can view them before working with them)?"));
        QCOMPARE(question.icon, QMessageBox::NoIcon);
        QCOMPARE(question.buttonCount, 2);
    }
    QVERIFY(opened.isEmpty());

    // A sample deleted since then is skipped without a word; Yes opens the Samples folder.
    QVERIFY(QFile::remove(samples.at(2)));
    ControlsOf(form).PushButton3->click();
    answerer.Queue(AnswerQuestion(QMessageBox::Yes, &questions));
    ControlsOf(form).PushButton5->click();
    QVERIFY(answerer.WaitUntilAnswered());
    QCOMPARE(window.Entries(), (QStringList{samples.at(0), samples.at(1)}));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(window.ProgramFolder() + QStringLiteral("/Samples/"))});
    QVERIFY(answerer.Unexpected().isEmpty());
}

void SamplesAndHoverTest::handOverButtonsDefaultOverTheRest()
{
    WindowUnderTest window([](const QString& programFolder) { CopyResource(QStringLiteral("HAND-M.CUR"), programFolder); });
    Form1& form = window.Form();
    const Form1Controls& c = ControlsOf(form);
    QCOMPARE(form.HandCursor().shape(), Qt::BitmapCursor);
    const auto imageOf = [](const QCursor& cursor) {
        return cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QImage hand = imageOf(form.HandCursor());
    const auto showsHand = [&] { return form.cursor().shape() == Qt::BitmapCursor && imageOf(form.cursor()) == hand; };
    const QPoint frameBackground(10, 10);

    QTest::mouseMove(c.PushButton1);
    QTRY_VERIFY_WITH_TIMEOUT(showsHand(), 5000);
    QTest::mouseMove(c.Frame1, QPoint(c.Frame1->width() - 10, c.Frame1->height() - 10));
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::ArrowCursor, 5000);
    QTest::mouseMove(c.PushButton7);
    QTRY_VERIFY_WITH_TIMEOUT(showsHand(), 5000);
    QTest::mouseMove(c.Text1);
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::ArrowCursor, 5000);
    QTest::mouseMove(c.PushButton5);
    QTRY_VERIFY_WITH_TIMEOUT(showsHand(), 5000);
    QTest::mouseMove(c.ListView1->viewport());
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::ArrowCursor, 5000);
    QTest::mouseMove(c.PushButton3);
    QTRY_VERIFY_WITH_TIMEOUT(showsHand(), 5000);
    QTest::mouseMove(&form, QPoint(form.width() - 3, form.height() - 3));
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::ArrowCursor, 5000);

    // Controls without a rule, such as the option buttons, leave the pointer as it was.
    QTest::mouseMove(c.PushButton4);
    QTRY_VERIFY_WITH_TIMEOUT(showsHand(), 5000);
    QTest::mouseMove(c.OptionButton(1));
    QTest::qWait(50);
    QVERIFY(showsHand());
    QTest::mouseMove(c.Frame1, frameBackground);
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::ArrowCursor, 5000);
}

void SamplesAndHoverTest::busyPointerSurvivesHovering()
{
    WindowUnderTest window;  // no cursor file: the toolkit's pointing hand
    Form1& form = window.Form();
    const Form1Controls& c = ControlsOf(form);
    SetScanning(form, true);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    QCOMPARE(c.Text1->cursor().shape(), Qt::WaitCursor);
    QCOMPARE(c.ListView1->viewport()->cursor().shape(), Qt::WaitCursor);
    for (QWidget* over : {static_cast<QWidget*>(c.PushButton2), static_cast<QWidget*>(c.Frame2), c.ListView1->viewport(),
             static_cast<QWidget*>(c.PushButton7)}) {
        QTest::mouseMove(over);
        QTest::qWait(20);
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }

    SetScanning(form, false);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(c.Text1->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseMove(c.PushButton2);
    QTRY_COMPARE_WITH_TIMEOUT(form.cursor().shape(), Qt::PointingHandCursor, 5000);
}

QTEST_MAIN(SamplesAndHoverTest)
#include "samples_and_hover_test.moc"
