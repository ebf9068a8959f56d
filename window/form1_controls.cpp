#include "window/form1_controls.h"

#include "window/file_list_widget.h"
#include "window/text_progress_bar.h"

#include <QFont>

#include <initializer_list>

namespace {

QFont WindowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

QFont ButtonFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, QRect place)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(place);
    return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* button = Place(new QPushButton(caption, parent), name, place);
    button->setFont(ButtonFont());
    return button;
}

void ChainTabOrder(std::initializer_list<QWidget*> order)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

}  // namespace

Form1Controls BuildForm1Controls(QWidget& form, const Twips& twips)
{
    form.setFont(WindowFont());
    Form1Controls c;

    c.ListView1 = Place(new FileListWidget(&form), "ListView1", twips.Rect(120, 120, 7800, 2535));
    c.ListView1->setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                                           "Move | line to right and out of window to reveal full names."));

    c.PushButton1 = MakeButton(&form, "PushButton1", QStringLiteral("Add AVI File(s)"), twips.Rect(120, 2745, 3840, 405));
    c.PushButton4 = MakeButton(&form, "PushButton4", QStringLiteral("Add All AVI Files In Folder"),
        twips.Rect(4080, 2745, 3840, 405));
    c.PushButton3 = MakeButton(&form, "PushButton3", QStringLiteral("Clear List"), twips.Rect(120, 3255, 3840, 405));
    c.PushButton5 = MakeButton(&form, "PushButton5", QStringLiteral("Load Sample/Example Videos"),
        twips.Rect(4080, 3255, 3840, 405));

    c.Frame2 = Place(new QGroupBox(QStringLiteral("Number Of Frame(s)"), &form), "Frame2",
        twips.Rect(120, 3735, 7800, 800 + kWhichFramesRow));
    c.Combo1 = Place(new QComboBox(c.Frame2), "Combo1", twips.Rect(240, 300, 7260, 345));
    c.Combo1->setEditable(false);
    // Which frames, on a row of their own below how many.
    c.Combo2 = Place(new QComboBox(c.Frame2), "Combo2", twips.Rect(240, 720, 2895, 345));
    c.Combo2->setEditable(false);
    c.Text2 = Place(new QLineEdit(c.Frame2), "Text2", twips.Rect(3210, 720, 840, 345));
    c.Text2->setPlaceholderText(QStringLiteral("n or s"));
    c.Label1 = Place(new QLabel(QStringLiteral("From"), c.Frame2), "Label1", twips.Rect(4140, 720, 510, 345));
    c.Text3 = Place(new QLineEdit(c.Frame2), "Text3", twips.Rect(4650, 720, 1170, 345));
    c.Text3->setPlaceholderText(QStringLiteral("start"));
    c.Label2 = Place(new QLabel(QStringLiteral("To"), c.Frame2), "Label2", twips.Rect(5910, 720, 330, 345));
    c.Text4 = Place(new QLineEdit(c.Frame2), "Text4", twips.Rect(6240, 720, 1260, 345));
    c.Text4->setPlaceholderText(QStringLiteral("end"));
    c.Label1->setBuddy(c.Text3);
    c.Label2->setBuddy(c.Text4);

    c.Frame1 = Place(new QGroupBox(QStringLiteral("Save Output Files As"), &form), "Frame1",
        twips.Rect(120, 4570 + kWhichFramesRow, 7800, 1050));
    c.OptionGroup = new QButtonGroup(&form);
    c.OptionGroup->setObjectName(QStringLiteral("OptionGroup"));
    struct OptionPlace {
        const char* name;
        const char* caption;
        int left;
        int top;
    };
    // Numbered by format: Option1 BMP ... Option7 PCX. JPG, BMP, PNG, GIF form the first row.
    constexpr OptionPlace kOptions[] = {{"Option1", "BMP", 1440, 300}, {"Option2", "JPG", 240, 300},
        {"Option3", "PNG", 2640, 300}, {"Option4", "GIF", 3840, 300}, {"Option5", "TIFF", 240, 650},
        {"Option6", "TGA", 1440, 650}, {"Option7", "PCX", 2640, 650}};
    for (int number = 1; number <= 7; ++number) {
        const OptionPlace& place = kOptions[number - 1];
        auto* option = Place(new QRadioButton(QLatin1String(place.caption), c.Frame1), place.name,
            twips.Rect(place.left, place.top, 795, 255));
        c.OptionGroup->addButton(option, number);
        c.Option[static_cast<std::size_t>(number - 1)] = option;
    }
    c.OptionButton(2)->setChecked(true);

    // Pictures: their size and shape, and how their files are filed.
    c.Frame5 = Place(new QGroupBox(QStringLiteral("Pictures"), &form), "Frame5", twips.Rect(120, 5670 + kWhichFramesRow, 7800, 1050));
    c.Label3 = Place(new QLabel(QStringLiteral("Fit within"), c.Frame5), "Label3", twips.Rect(240, 300, 900, 345));
    c.Text5 = Place(new QLineEdit(c.Frame5), "Text5", twips.Rect(1140, 300, 660, 345));
    c.Text5->setPlaceholderText(QStringLiteral("W"));
    c.Label4 = Place(new QLabel(QStringLiteral("x"), c.Frame5), "Label4", twips.Rect(1860, 300, 150, 345));
    c.Text6 = Place(new QLineEdit(c.Frame5), "Text6", twips.Rect(2010, 300, 660, 345));
    c.Text6->setPlaceholderText(QStringLiteral("H"));
    c.Label3->setBuddy(c.Text5);
    c.Check1 = Place(new QCheckBox(QStringLiteral("Square pixels"), c.Frame5), "Check1", twips.Rect(2880, 300, 2520, 345));
    c.Check2 = Place(new QCheckBox(QStringLiteral("Deinterlace"), c.Frame5), "Check2", twips.Rect(5400, 300, 2280, 345));
    c.Check3 = Place(new QCheckBox(QStringLiteral("One folder per video"), c.Frame5), "Check3", twips.Rect(240, 650, 2520, 345));
    c.Check4 = Place(new QCheckBox(QStringLiteral("Numbers of equal length"), c.Frame5), "Check4", twips.Rect(2880, 650, 2640, 345));
    c.Check5 = Place(new QCheckBox(QStringLiteral("Keep existing images"), c.Frame5), "Check5", twips.Rect(5400, 650, 2280, 345));

    c.Frame4 = Place(new QGroupBox(QStringLiteral("JPG Image Quality"), &form), "Frame4",
        twips.Rect(120, 5670 + kWhichFramesRow + kPicturesFrame, 7800, 855));
    c.Slider1 = Place(new QSlider(Qt::Horizontal, c.Frame4), "Slider1", twips.Rect(120, 270, 7560, 480));
    c.Slider1->setRange(1, 100);
    c.Slider1->setSingleStep(1);
    c.Slider1->setPageStep(10);
    c.Slider1->setTickInterval(10);
    c.Slider1->setTickPosition(QSlider::TicksBelow);
    c.Slider1->setValue(85);

    c.Frame3 = Place(new QGroupBox(QStringLiteral("Save Image(s) To This Folder"), &form), "Frame3",
        twips.Rect(120, 6570 + kWhichFramesRow + kPicturesFrame, 7800, 810));
    c.Text1 = Place(new QLineEdit(c.Frame3), "Text1", twips.Rect(240, 300, 6660, 345));
    c.PushButton7 = MakeButton(c.Frame3, "PushButton7", QStringLiteral("..."), twips.Rect(6960, 300, 600, 345));

    c.PushButton2 = MakeButton(&form, "PushButton2", QStringLiteral("Start Converting"),
        twips.Rect(120, 7500 + kWhichFramesRow + kPicturesFrame, 7800, 405));
    c.ProgressBar1 = Place(new TextProgressBar(QStringLiteral("Progress Bar 1"), &form), "ProgressBar1",
        twips.Rect(120, 8025 + kWhichFramesRow + kPicturesFrame, 3840, 405));
    c.ProgressBar2 = Place(new TextProgressBar(QStringLiteral("Progress Bar 2"), &form), "ProgressBar2",
        twips.Rect(4080, 8025 + kWhichFramesRow + kPicturesFrame, 3840, 405));

    // Above the list's header; it shows a picture only while a run works, and never takes a click.
    c.Creator = Place(new QLabel(&form), "Creator", twips.Rect(1200, 0, 495, 435));
    c.Creator->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.Creator->setAlignment(Qt::AlignCenter);

    // Frames, bars and the picture box take no focus, so they drop out of the chain.
    ChainTabOrder({c.ListView1, c.Combo1, c.Combo2, c.Text2, c.Text3, c.Text4, c.PushButton1, c.PushButton4, c.PushButton2, c.PushButton3, c.PushButton5,
        c.Slider1, c.OptionButton(1), c.OptionButton(2), c.Text1, c.PushButton7, c.OptionButton(5), c.OptionButton(6),
        c.OptionButton(7), c.OptionButton(4), c.OptionButton(3), c.Text5, c.Text6, c.Check1, c.Check2, c.Check3, c.Check4,
        c.Check5});
    return c;
}
