// The window's control table: names, captions, places in pixels at 96 dots per inch, fonts, the
// fixed size, the tab order and the list's tooltip.
#include "window_test_support.h"

#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/text_progress_bar.h"

#include <QHeaderView>
#include <QTest>

class Form1LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        bench_.emplace();
        QVERIFY(bench_->programFolder.isValid());
        form_ = &bench_->OpenWindow();
        if (form_->logicalDpiX() != 96)
            QSKIP("the places below are pixels at 96 dots per inch");
    }

    void cleanup()
    {
        form_ = nullptr;
        bench_.reset();
    }

    void controlsSitAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("place");
        // Twips of the design divided by 15.
        QTest::newRow("ListView1") << "ListView1" << "Form1" << QRect(8, 8, 520, 169);
        QTest::newRow("PushButton1") << "PushButton1" << "Form1" << QRect(8, 183, 256, 27);
        QTest::newRow("PushButton4") << "PushButton4" << "Form1" << QRect(272, 183, 256, 27);
        QTest::newRow("PushButton3") << "PushButton3" << "Form1" << QRect(8, 217, 256, 27);
        QTest::newRow("PushButton5") << "PushButton5" << "Form1" << QRect(272, 217, 256, 27);
        QTest::newRow("Frame2") << "Frame2" << "Form1" << QRect(8, 249, 520, 81);
        QTest::newRow("Combo1") << "Combo1" << "Frame2" << QRect(16, 20, 484, 23);
        // Which frames: a row of its own below Combo1; everything below the frame moved down by 28.
        QTest::newRow("Combo2") << "Combo2" << "Frame2" << QRect(16, 48, 193, 23);
        QTest::newRow("Text2") << "Text2" << "Frame2" << QRect(214, 48, 56, 23);
        QTest::newRow("Label1") << "Label1" << "Frame2" << QRect(276, 48, 34, 23);
        QTest::newRow("Text3") << "Text3" << "Frame2" << QRect(310, 48, 78, 23);
        QTest::newRow("Label2") << "Label2" << "Frame2" << QRect(394, 48, 22, 23);
        QTest::newRow("Text4") << "Text4" << "Frame2" << QRect(416, 48, 84, 23);
        QTest::newRow("Frame1") << "Frame1" << "Form1" << QRect(8, 333, 520, 70);
        QTest::newRow("Option2") << "Option2" << "Frame1" << QRect(16, 20, 53, 17);
        QTest::newRow("Option1") << "Option1" << "Frame1" << QRect(96, 20, 53, 17);
        QTest::newRow("Option4") << "Option4" << "Frame1" << QRect(256, 20, 53, 17);
        QTest::newRow("Option7") << "Option7" << "Frame1" << QRect(176, 43, 53, 17);
        QTest::newRow("Frame5") << "Frame5" << "Form1" << QRect(8, 406, 520, 70);
        QTest::newRow("Text5") << "Text5" << "Frame5" << QRect(76, 20, 44, 23);
        QTest::newRow("Text6") << "Text6" << "Frame5" << QRect(134, 20, 44, 23);
        QTest::newRow("Check1") << "Check1" << "Frame5" << QRect(192, 20, 168, 23);
        QTest::newRow("Check5") << "Check5" << "Frame5" << QRect(360, 43, 152, 23);
        // The frame "Pictures" moved everything below it down by 73.
        QTest::newRow("Frame4") << "Frame4" << "Form1" << QRect(8, 479, 520, 57);
        QTest::newRow("Slider1") << "Slider1" << "Frame4" << QRect(8, 18, 504, 32);
        QTest::newRow("Frame3") << "Frame3" << "Form1" << QRect(8, 539, 520, 54);
        QTest::newRow("Text1") << "Text1" << "Frame3" << QRect(16, 20, 444, 23);
        QTest::newRow("PushButton7") << "PushButton7" << "Frame3" << QRect(464, 20, 40, 23);
        QTest::newRow("PushButton2") << "PushButton2" << "Form1" << QRect(8, 601, 520, 27);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << "Form1" << QRect(8, 636, 256, 27);
        QTest::newRow("ProgressBar2") << "ProgressBar2" << "Form1" << QRect(272, 636, 256, 27);
        QTest::newRow("Creator") << "Creator" << "Form1" << QRect(80, 0, 33, 29);
    }

    void controlsSitAtTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QString, parentName);
        QFETCH(QRect, place);
        const auto* control = form_->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parentName);
        QCOMPARE(control->geometry(), place);
    }

    void windowHasAFixedSize()
    {
        QCOMPARE(form_->minimumSize(), QSize(536, 669));
        QCOMPARE(form_->maximumSize(), QSize(536, 669));
    }

    void captionsAndTexts()
    {
        const Form1Controls& c = ControlsOf(*form_);
        const std::pair<QAbstractButton*, const char*> captions[] = {{c.PushButton1, "Add AVI File(s)"},
            {c.PushButton4, "Add All AVI Files In Folder"}, {c.PushButton3, "Clear List"},
            {c.PushButton5, "Load Sample/Example Videos"}, {c.PushButton7, "..."}, {c.PushButton2, "Start Converting"},
            {c.OptionButton(1), "BMP"}, {c.OptionButton(2), "JPG"}, {c.OptionButton(3), "PNG"}, {c.OptionButton(4), "GIF"},
            {c.OptionButton(5), "TIFF"}, {c.OptionButton(6), "TGA"}, {c.OptionButton(7), "PCX"}};
        for (const auto& [button, caption] : captions)
            QCOMPARE(button->text(), QString::fromLatin1(caption));
        QCOMPARE(c.Frame1->title(), QStringLiteral("Save Output Files As"));
        QCOMPARE(c.Frame2->title(), QStringLiteral("Number Of Frame(s)"));
        QCOMPARE(c.Frame3->title(), QStringLiteral("Save Image(s) To This Folder"));
        QCOMPARE(c.Frame4->title(), QStringLiteral("JPG Image Quality"));
        QCOMPARE(c.ProgressBar1->text(), QStringLiteral("Progress Bar 1"));
        QCOMPARE(c.ProgressBar2->text(), QStringLiteral("Progress Bar 2"));
        QCOMPARE(c.ProgressBar1->value(), 0);
        QCOMPARE(c.ListView1->toolTip(), QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                                                        "Move | line to right and out of window to reveal full names."));
        QCOMPARE(c.ListView1->columnWidth(0), 467);  // 7000 twips
    }

    void barTextsAreShownLiterally()
    {
        TextProgressBar* bar = ControlsOf(*form_).ProgressBar1;
        bar->SetText(QStringLiteral("Processing: 100% %p %v.avi"));
        bar->SetPercent(37.5);
        QCOMPARE(bar->text(), QStringLiteral("Processing: 100% %p %v.avi"));
        QCOMPARE(bar->value() * 100.0 / bar->maximum(), 37.5);
        bar->SetPercent(120);
        QCOMPARE(bar->value(), bar->maximum());
        bar->SetPercent(-3);
        QCOMPARE(bar->value(), bar->minimum());
    }

    void fontsAreArialBold()
    {
        const QFont windowFont = form_->font();
        QCOMPARE(windowFont.family(), QStringLiteral("Arial"));
        QVERIFY(windowFont.bold());
        QCOMPARE(windowFont.pointSizeF(), 9.0);
        for (const QWidget* inherits : {static_cast<QWidget*>(ControlsOf(*form_).ListView1),
                 static_cast<QWidget*>(ControlsOf(*form_).OptionButton(3)), static_cast<QWidget*>(ControlsOf(*form_).Text1)})
            QCOMPARE(inherits->font(), windowFont);
        const QFont buttonFont = ControlsOf(*form_).PushButton2->font();
        QCOMPARE(buttonFont.family(), QStringLiteral("Arial"));
        QVERIFY(buttonFont.bold());
        QCOMPARE(buttonFont.pointSizeF(), 11.25);
    }

    void tabOrderFollowsTheDesign()
    {
        const QStringList expected = {"ListView1", "Combo1", "Combo2", "Text2", "Text3", "Text4", "PushButton1", "PushButton4", "PushButton2", "PushButton3",
            "PushButton5", "Slider1", "Option1", "Option2", "Text1", "PushButton7", "Option5", "Option6", "Option7",
            "Option4", "Option3", "Text5", "Text6", "Check1", "Check2", "Check3", "Check4", "Check5"};
        QStringList order;
        QWidget* widget = ControlsOf(*form_).ListView1;
        do {
            if (expected.contains(widget->objectName()) && (widget->focusPolicy() & Qt::TabFocus))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != ControlsOf(*form_).ListView1);
        QCOMPARE(order, expected);
        for (const char* passedOver : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "ProgressBar1", "ProgressBar2", "Creator"})
            QVERIFY(!(form_->findChild<QWidget*>(passedOver)->focusPolicy() & Qt::TabFocus));
    }

    void optionsFormOneGroupWithJpgInTheDesign()
    {
        Form1 design(QuietEnvironment(bench_->programFolder.path()));
        const Form1Controls& c = ControlsOf(design);
        QCOMPARE(c.OptionGroup->checkedId(), 2);
        QVERIFY(c.OptionGroup->exclusive());
        QCOMPARE(c.OptionGroup->buttons().size(), 7);
        for (int number = 1; number <= 7; ++number)
            QCOMPARE(c.OptionGroup->id(c.OptionButton(number)), number);
    }

private:
    std::optional<WindowBench> bench_;
    Form1* form_ = nullptr;
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
