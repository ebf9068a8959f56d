#pragma once

#include "window/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <array>

class FileListWidget;
class TextProgressBar;

// Every control of the main window, under the names the handlers know them by. The widgets belong
// to the window they were built on.
struct Form1Controls {
    FileListWidget* ListView1 = nullptr;
    QPushButton* PushButton1 = nullptr;  // "Add AVI File(s)"
    QPushButton* PushButton2 = nullptr;  // "Start Converting"
    QPushButton* PushButton3 = nullptr;  // "Clear List"
    QPushButton* PushButton4 = nullptr;  // "Add All AVI Files In Folder"
    QPushButton* PushButton5 = nullptr;  // "Load Sample/Example Videos"
    QPushButton* PushButton7 = nullptr;  // "...", browse for the output folder
    QGroupBox* Frame1 = nullptr;         // "Save Output Files As"
    QGroupBox* Frame2 = nullptr;         // "Number Of Frame(s)"
    QGroupBox* Frame3 = nullptr;         // "Save Image(s) To This Folder"
    QGroupBox* Frame4 = nullptr;         // "JPG Image Quality"
    QGroupBox* Frame5 = nullptr;         // "Pictures"
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;   // which frames: every frame, every n-th, ...
    QLineEdit* Text2 = nullptr;    // its n or s
    QLabel* Label1 = nullptr;      // "From"
    QLineEdit* Text3 = nullptr;    // the time from which frames are taken; empty: the start
    QLabel* Label2 = nullptr;      // "To"
    QLineEdit* Text4 = nullptr;    // the time up to which they are taken; empty: the end
    std::array<QRadioButton*, 7> Option{};  // Option[0] is Option1 (BMP) ... Option[6] is Option7 (PCX)
    QButtonGroup* OptionGroup = nullptr;    // the ids are the format numbers 1 to 7
    QSlider* Slider1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;        // "Fit within"
    QLineEdit* Text5 = nullptr;      // its width; empty: any
    QLabel* Label4 = nullptr;        // "x"
    QLineEdit* Text6 = nullptr;      // its height; empty: any
    QCheckBox* Check1 = nullptr;     // "Square pixels"
    QCheckBox* Check2 = nullptr;     // "Deinterlace"
    QCheckBox* Check3 = nullptr;     // "One folder per video"
    QCheckBox* Check4 = nullptr;     // "Numbers of equal length"
    QCheckBox* Check5 = nullptr;     // "Keep existing images"
    TextProgressBar* ProgressBar1 = nullptr;
    TextProgressBar* ProgressBar2 = nullptr;
    QLabel* Creator = nullptr;  // shows the frame being converted

    QRadioButton* OptionButton(int number) const { return Option.at(static_cast<std::size_t>(number - 1)); }
};

// The twips the row of which frames adds to the frame "Number Of Frame(s)"; everything below it moves
// down by as much.
constexpr int kWhichFramesRow = 420;
// The twips the frame "Pictures" takes below "Save Output Files As", its gap included.
constexpr int kPicturesFrame = 1095;

// Builds the window's controls in their design state: captions, fonts, places, tab order, the
// JPG option selected, the slider at 85, both bars empty with their own texts.
Form1Controls BuildForm1Controls(QWidget& form, const Twips& twips);
