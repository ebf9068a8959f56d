// The output options: what each control stores, the quality slider's enabled state, typing into the
// folder box, and the output-folder browse button with a real folder dialog.
#include "window_test_support.h"

#include "window/browse_for_folder.h"
#include "window/form1.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QTest>

class OutputOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        bench_.emplace();
        QVERIFY(bench_->programFolder.isValid());
        form_ = &bench_->OpenWindow();
    }

    void cleanup()
    {
        QVERIFY2(bench_->UnexpectedDialogs().isEmpty(), qPrintable(bench_->UnexpectedDialogs()));
        form_ = nullptr;
        bench_.reset();
    }

    void eachOptionStoresItsNumberAndOnlyJpgEnablesTheSlider()
    {
        const Form1Controls& c = ControlsOf(*form_);
        c.Slider1->setValue(40);
        for (int number : {1, 3, 4, 5, 6, 7, 2}) {
            QTest::mouseClick(c.OptionButton(number), Qt::LeftButton);
            QVERIFY(c.OptionButton(number)->isChecked());
            QCOMPARE(bench_->settings.Value("Option2").toString(), QString::number(number));
            QCOMPARE(c.Slider1->isEnabled(), number == 2);
            QCOMPARE(c.Slider1->value(), 40);
            for (int other = 1; other <= 7; ++other)
                QCOMPARE(c.OptionButton(other)->isChecked(), other == number);
        }
    }

    void sliderRunsFromOneToHundredInTicksOfTenAndIsNeverStored()
    {
        const QSlider* slider = ControlsOf(*form_).Slider1;
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 100);
        QCOMPARE(slider->singleStep(), 1);
        QCOMPARE(slider->tickInterval(), 10);
        QVERIFY(slider->tickPosition() != QSlider::NoTicks);
        const QStringList before = bench_->settings.Keys();
        QTest::keyClick(ControlsOf(*form_).Slider1, Qt::Key_End);
        QCOMPARE(slider->value(), 100);
        QTest::keyClick(ControlsOf(*form_).Slider1, Qt::Key_Home);
        QCOMPARE(slider->value(), 1);
        QCOMPARE(bench_->settings.Keys(), before);
    }

    void pickingAFrameChoiceStoresItsText()
    {
        QComboBox* combo = ControlsOf(*form_).Combo1;
        combo->setFocus();
        for (int index = 1; index < combo->count(); ++index) {
            QTest::keyClick(combo, Qt::Key_Down);
            QCOMPARE(combo->currentIndex(), index);
            QCOMPARE(bench_->settings.Value("Number Of Frames").toString(), combo->itemText(index));
        }
        QVERIFY(!combo->isEditable());
    }

    void clickingTheChosenEntryAgainStoresItAgain()
    {
        QComboBox* combo = ControlsOf(*form_).Combo1;
        bench_->settings.Put("Number Of Frames", "changed by another copy of the program");
        combo->showPopup();
        QListView* view = qobject_cast<QListView*>(combo->view());
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 5000);
        const QRect entry = view->visualRect(view->model()->index(combo->currentIndex(), 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry.center());
        QTRY_VERIFY_WITH_TIMEOUT(!view->isVisible(), 5000);
        QCOMPARE(bench_->settings.Value("Number Of Frames").toString(), combo->currentText());
    }

    void typingIntoTheFolderBoxStoresEveryIntermediateText()
    {
        QLineEdit* box = ControlsOf(*form_).Text1;
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), QString());
        const QString typed = QStringLiteral("/tmp/a b");
        for (qsizetype i = 0; i < typed.size(); ++i) {
            QTest::keyClick(box, typed.at(i).toLatin1());
            QCOMPARE(bench_->settings.Value("Output Folder").toString(), typed.left(i + 1));
        }
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), QStringLiteral("/tmp/a "));
    }

    void browseButtonStoresThePickAndShowsItWithOneSeparator()
    {
        QTemporaryDir start;
        QTemporaryDir target;
        bench_->settings.Put("LastFolderDot", start.path());
        QString openedAt;
        QString title;
        bench_->answerer.Queue([&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(files);
            openedAt = files->directory().absolutePath();
            title = files->windowTitle();
            ModalAnswerer::PickFolder(target.path())(dialog);
        });

        QTest::mouseClick(ControlsOf(*form_).PushButton7, Qt::LeftButton);

        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(openedAt, start.path());
        QCOMPARE(title, QStringLiteral("Please select folder:"));
        const QString picked = QDir::toNativeSeparators(target.path());
        QCOMPARE(bench_->settings.Value("LastFolderDot").toString(), picked);
        QCOMPARE(ControlsOf(*form_).Text1->text(), picked + QDir::separator());
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), picked + QDir::separator());
    }

    void browseButtonKeepsARootAsIs()
    {
        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        bench_->answerer.Queue(ModalAnswerer::PickFolder(QDir::rootPath()));
        QTest::mouseClick(ControlsOf(*form_).PushButton7, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(bench_->settings.Value("LastFolderDot").toString(), root);
        QCOMPARE(ControlsOf(*form_).Text1->text(), root);
    }

    void cancellingTheBrowseChangesNothing()
    {
        ControlsOf(*form_).Text1->setText(QStringLiteral("/kept/"));
        bench_->settings.Put("LastFolderDot", "/remembered");
        bench_->answerer.Queue(ModalAnswerer::Cancel());
        QTest::mouseClick(ControlsOf(*form_).PushButton7, Qt::LeftButton);
        QVERIFY(bench_->answerer.WaitUntilAnswered());
        QCOMPARE(ControlsOf(*form_).Text1->text(), QStringLiteral("/kept/"));
        QCOMPARE(bench_->settings.Value("Output Folder").toString(), QStringLiteral("/kept/"));
        QCOMPARE(bench_->settings.Value("LastFolderDot").toString(), QStringLiteral("/remembered"));
    }

    void folderPickerAnswersWithoutTrailingSeparatorOrEmptyOnCancel()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("inner"));
        bench_->answerer.Queue(ModalAnswerer::PickFolder(folder.filePath("inner/")));
        QCOMPARE(BrowseForFolder(form_, "Please select folder:", QString()), QDir::toNativeSeparators(folder.filePath("inner")));
        bench_->answerer.Queue(ModalAnswerer::Cancel());
        QCOMPARE(BrowseForFolder(form_, "Please select folder:", folder.path()), QString());
    }

private:
    std::optional<WindowBench> bench_;
    Form1* form_ = nullptr;
};

QTEST_MAIN(OutputOptionsTest)
#include "output_options_test.moc"
