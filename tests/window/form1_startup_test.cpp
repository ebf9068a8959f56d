// Start-up of the main window: the state after a first start and after starts with stored values,
// the skin, the hand cursor, the home-page draw and the first-run sample step.
#include "window_test_support.h"

#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString kEveryFrame = QStringLiteral("Save every frame in AVI as JPG");

QString DesktopWithSeparator()
{
    return QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)) + QDir::separator();
}

QString ErrorReportText(const QString& description, int line)
{
    return description + QStringLiteral("\nin FRAMEVIS2021/08/31.Form1.Form_Load at line ") + QString::number(line)
        + QStringLiteral("\n\nPlease email screenshot of this message to support@stillpress.org");
}

int CheckedFormat(const Form1& form)
{
    return ControlsOf(form).OptionGroup->checkedId();
}

}  // namespace

class Form1StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        bench_.emplace();
        QVERIFY(bench_->programFolder.isValid());
    }

    void cleanup()
    {
        qApp->setStyleSheet(QString());
        bench_.reset();
    }

    void firstStartShowsDefaultsAndStoresThemBack()
    {
        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();
        const Form1Controls& c = ControlsOf(form);

        QCOMPARE(form.windowTitle(), QStringLiteral("Stillpress Software"));
        QCOMPARE(form.ApplicationTitle(), QStringLiteral("Stillpress"));
        QVERIFY(!form.windowIcon().isNull());
        QCOMPARE(c.ListView1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("AVI File(s)"));
        QCOMPARE(c.ListView1->model()->columnCount(), 1);
        QCOMPARE(c.ListView1->Count(), 0);
        QStringList entries;
        for (int i = 0; i < c.Combo1->count(); ++i)
            entries << c.Combo1->itemText(i);
        QCOMPARE(entries, (QStringList{kEveryFrame, "Save every 10 frames in AVI as JPG", "Save every 100 frames in AVI as JPG",
                              "Save every 1000 frames in AVI as JPG", "Save every x frames in AVI as JPG"}));
        QCOMPARE(c.Combo1->currentText(), kEveryFrame);
        QCOMPARE(c.Text1->text(), DesktopWithSeparator());
        QCOMPARE(CheckedFormat(form), 2);
        QVERIFY(c.Slider1->isEnabled());
        QCOMPARE(c.Slider1->value(), 85);

        // The restore wrote the frame choice and the folder back; the format was already JPG.
        QCOMPARE(bench_->settings.Value("Number Of Frames").toString(), kEveryFrame);
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), DesktopWithSeparator());
        QCOMPARE(bench_->settings.Keys().size(), 2);
        QVERIFY(bench_->answerer.Unexpected().isEmpty());
    }

    void storedFormatSelectsItsOption_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("sliderEnabled");
        QTest::newRow("BMP") << "1" << 1 << false;
        QTest::newRow("JPG") << "2" << 2 << true;
        QTest::newRow("PNG") << "3" << 3 << false;
        QTest::newRow("GIF") << "4" << 4 << false;
        QTest::newRow("TIFF") << "5" << 5 << false;
        QTest::newRow("TGA") << "6" << 6 << false;
        QTest::newRow("PCX") << "7" << 7 << false;
        QTest::newRow("blanks around") << " 3 " << 3 << false;
        QTest::newRow("half rounds to even, down") << "2.5" << 2 << true;
        QTest::newRow("half rounds to even, up") << "3.5" << 4 << false;
        QTest::newRow("outside 1 to 7 keeps JPG") << "8" << 2 << true;
        QTest::newRow("zero keeps JPG") << "0" << 2 << true;
        QTest::newRow("negative keeps JPG") << "-1" << 2 << true;
    }

    void storedFormatSelectsItsOption()
    {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        QFETCH(bool, sliderEnabled);
        bench_->settings.Put("Option2", stored);

        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        QCOMPARE(CheckedFormat(form), selected);
        QCOMPARE(ControlsOf(form).Slider1->isEnabled(), sliderEnabled);
        QCOMPARE(ControlsOf(form).Slider1->value(), 85);
        // Selecting an option that was not yet selected stores its number; otherwise the text stays.
        QCOMPARE(bench_->settings.Value("Option2").toString(), selected == 2 ? stored : QString::number(selected));
        QVERIFY(bench_->answerer.Unexpected().isEmpty());
    }

    void storedFormatThatIsNoNumberIsReportedOnceAndSelectsBmp_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("description");
        QTest::newRow("letters") << "abc" << "Type mismatch";
        QTest::newRow("empty") << "" << "Type mismatch";
        QTest::newRow("beyond 16 bits") << "70000" << "Overflow";
    }

    void storedFormatThatIsNoNumberIsReportedOnceAndSelectsBmp()
    {
        QFETCH(QString, stored);
        QFETCH(QString, description);
        bench_->settings.Put("Option2", stored);
        bench_->answerer.Queue(bench_->answerer.ClickOk());

        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        // Start-up has ended, so every report it made has been answered by now.
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        const SeenMessageBox& report = bench_->answerer.MessageBoxes().front();
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.text, ErrorReportText(description, 136));
        QCOMPARE(report.icon, QMessageBox::Warning);
        QCOMPARE(report.buttonCount, 1);
        QVERIFY(bench_->answerer.Unexpected().isEmpty());

        QCOMPARE(CheckedFormat(form), 1);
        QVERIFY(!ControlsOf(form).Slider1->isEnabled());
        QCOMPARE(bench_->settings.Value("Option2").toString(), QStringLiteral("1"));
        // Start-up went on to the end before the report: everything else is in place.
        QCOMPARE(form.windowTitle(), QStringLiteral("Stillpress Software"));
        QCOMPARE(ControlsOf(form).Combo1->currentText(), kEveryFrame);
    }

    void storedTextsAreRestored()
    {
        const QString folder = QStringLiteral("/no/such folder/typed by hand");
        bench_->settings.Put("Number Of Frames", "Save every 100 frames in AVI as JPG");
        bench_->settings.Put("Output Folder", folder);

        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        QCOMPARE(ControlsOf(form).Combo1->currentText(), QStringLiteral("Save every 100 frames in AVI as JPG"));
        QCOMPARE(ControlsOf(form).Text1->text(), folder);
        QCOMPARE(bench_->settings.Value("Number Of Frames").toString(), QStringLiteral("Save every 100 frames in AVI as JPG"));
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), folder);
    }

    void storedFrameChoiceThatIsNoEntryGivesWayToTheDefault()
    {
        bench_->settings.Put("Number Of Frames", "Save every 7 frames in AVI as JPG");
        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        QCOMPARE(ControlsOf(form).Combo1->currentText(), kEveryFrame);
        QCOMPARE(bench_->settings.Value("Number Of Frames").toString(), kEveryFrame);
    }

    void choicesSurviveARestartButTheQualityDoesNot()
    {
        {
            Form1 form(QuietEnvironment(bench_->programFolder.path()));
            form.Form_Load();
            const Form1Controls& c = ControlsOf(form);
            QTest::mouseClick(c.OptionButton(5), Qt::LeftButton);
            c.Combo1->setCurrentIndex(4);
            c.Text1->setText(QStringLiteral("/srv/frames/"));
            c.OptionButton(2)->click();
            c.Slider1->setValue(30);
            QTest::mouseClick(c.OptionButton(5), Qt::LeftButton);
        }
        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();
        const Form1Controls& c = ControlsOf(form);
        QCOMPARE(CheckedFormat(form), 5);
        QCOMPARE(c.Combo1->currentText(), QStringLiteral("Save every x frames in AVI as JPG"));
        QCOMPARE(c.Text1->text(), QStringLiteral("/srv/frames/"));
        QCOMPARE(c.Slider1->value(), 85);
        QVERIFY(!c.Slider1->isEnabled());
    }

    void withoutSkinTheWindowKeepsItsWhiteDesignLook()
    {
        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();
        QVERIFY(qApp->styleSheet().isEmpty());
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
    }

    void skinBesideTheProgramStylesTheApplication()
    {
        QVERIFY(QDir(bench_->programFolder.path()).mkdir("x"));
        QVERIFY(QFile::copy(ResourcesFolder() + "/x/o.cjs", bench_->programFolder.filePath("x/o.cjs")));
        QFile sheet(bench_->programFolder.filePath("x/o.cjs"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));

        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        QCOMPARE(qApp->styleSheet(), QString::fromUtf8(sheet.readAll()));
        QCOMPARE(form.palette().color(QPalette::Window), QGuiApplication::palette().color(QPalette::Button));
        QVERIFY(bench_->answerer.Unexpected().isEmpty());
    }

    void handCursorComesFromTheFileBesideTheProgram()
    {
        {
            Form1 form(QuietEnvironment(bench_->programFolder.path()));
            form.Form_Load();
            QCOMPARE(form.HandCursor().shape(), Qt::PointingHandCursor);
        }
        QVERIFY(QFile::copy(ResourcesFolder() + "/HAND-M.CUR", bench_->programFolder.filePath("HAND-M.CUR")));
        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();
        const QCursor& hand = form.HandCursor();
        QCOMPARE(hand.shape(), Qt::BitmapCursor);
        QCOMPARE(hand.pixmap().size(), QSize(32, 32));
        QCOMPARE(hand.hotSpot(), QPoint(14, 1));
        // The finger tip is the hot spot: the pixel there is part of the drawing, the corner is clear.
        const QImage image = hand.pixmap().toImage();
        QVERIFY(qAlpha(image.pixel(14, 2)) > 0);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }

    void brokenCursorFileIsReportedAndStartUpGoesOn()
    {
        QFile broken(bench_->programFolder.filePath("HAND-M.CUR"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("this is no cursor");
        broken.close();
        bench_->answerer.Queue(bench_->answerer.ClickOk());

        Form1 form(QuietEnvironment(bench_->programFolder.path()));
        form.Form_Load();

        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(bench_->answerer.MessageBoxes().size(), std::size_t{1});
        QCOMPARE(bench_->answerer.MessageBoxes().front().text,
            ErrorReportText("Invalid picture: " + broken.fileName() + " (not a cursor file)", 106));
        QCOMPARE(form.HandCursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(form.windowTitle(), QStringLiteral("Stillpress Software"));
    }

    void homePageOpensOnlyOnASeven_data()
    {
        QTest::addColumn<int>("draw");
        QTest::addColumn<bool>("opens");
        QTest::newRow("1") << 1 << false;
        QTest::newRow("7") << 7 << true;
        QTest::newRow("8") << 8 << false;
        QTest::newRow("100") << 100 << false;
    }

    void homePageOpensOnlyOnASeven()
    {
        QFETCH(int, draw);
        QFETCH(bool, opens);
        int draws = 0;
        QList<QUrl> opened;
        Form1Environment environment = QuietEnvironment(bench_->programFolder.path());
        environment.drawOneToHundred = [&] {
            ++draws;
            return draw;
        };
        environment.openHomePage = [&](const QUrl& address) { opened << address; };

        Form1 form(environment);
        form.Form_Load();

        QCOMPARE(draws, 1);
        QCOMPARE(opened, opens ? QList<QUrl>{QUrl("https://stillpress.org")} : QList<QUrl>{});
    }

    void theProgramsOwnDrawStaysWithinOneToHundred()
    {
        const Form1Environment standard = Form1Environment::Standard();
        for (int i = 0; i < 1000; ++i) {
            const int draw = standard.drawOneToHundred();
            QVERIFY2(draw >= 1 && draw <= 100, qPrintable(QString::number(draw)));
        }
    }

    void firstRunSampleStepRunsWhileNoSnapshotIsStored_data()
    {
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<QString>("stepStores");
        QTest::addColumn<int>("runs");
        QTest::newRow("no samples: tried twice") << "" << "" << 2;
        QTest::newRow("samples recorded on the first try") << "" << "c2FtcGxl" << 1;
        QTest::newRow("already recorded") << "c2FtcGxl" << "" << 0;
    }

    void firstRunSampleStepRunsWhileNoSnapshotIsStored()
    {
        QFETCH(QString, storedBefore);
        QFETCH(QString, stepStores);
        QFETCH(int, runs);
        if (!storedBefore.isEmpty())
            bench_->settings.Put("Snapshot", storedBefore);
        int calls = 0;
        Form1Environment environment = QuietEnvironment(bench_->programFolder.path());
        environment.firstRunSampleStep = [&](SettingsStore& store, const QString&) {
            ++calls;
            if (!stepStores.isEmpty())
                store.Write(SettingsStore::Key::Snapshot, stepStores);
        };

        Form1 form(environment);
        form.Form_Load();

        QCOMPARE(calls, runs);
    }

private:
    std::optional<WindowBench> bench_;
};

QTEST_MAIN(Form1StartupTest)
#include "form1_startup_test.moc"
