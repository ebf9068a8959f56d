#include "window/form1.h"

#include "common/error_report.h"
#include "common/path_helpers.h"
#include "convert/run/frame_limit.h"
#include "listedit/drag_pointer.h"
#include "listedit/hover_feedback.h"
#include "listedit/list_filling.h"
#include "listedit/list_removal.h"
#include "listedit/sample_videos.h"
#include "window/add_files_dialog.h"
#include "window/application_title.h"
#include "window/busy_state.h"
#include "window/cursor_file.h"
#include "window/file_list_widget.h"
#include "window/frame_preview.h"
#include "window/skin.h"
#include "window/text_progress_bar.h"
#include "window/which_frames_fields.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QShortcut>
#include <QSignalBlocker>

#include <utility>

using Key = SettingsStore::Key;

Form1::Form1(Form1Environment environment, QWidget* parent)
    : QWidget(parent),
      environment_(std::move(environment)),
      controls_(BuildForm1Controls(*this, Twips{static_cast<qreal>(logicalDpiX())})),
      dialogs_(*this, applicationTitle_),
      busy_(new BusyState([this] { return driver_.Busy(); }, this)),
      driver_(this, controls_.ListView1->Entries(), snapshot_, isConverting_, RunDialogs(), [this](const ProgressChanges& changes) { ShowProgress(changes); })
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_StyledBackground);  // lets a skin paint the window's own background
    const Twips twips{static_cast<qreal>(logicalDpiX())};
    setFixedSize(twips.ToPixels(8040), twips.ToPixels(8520 + kWhichFramesRow + kPicturesFrame));
    ApplyDesignLook(*this);
    snapshot_.Update([this](ControlValues& v) {
        v.quality = controls_.Slider1->value();
        v.format = OutputFormat::JPG;
    });
    MakeListEditing();
    ConnectHandlers();
}

Form1::~Form1()
{
    driver_.Stop();
    // The controls outlive this object's members and may still signal while they are torn down;
    // nothing of that must reach the handlers any more.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

void Form1::ConnectHandlers()
{
    const Form1Controls& c = controls_;
    connect(c.PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(c.PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(c.PushButton3, &QPushButton::clicked, this, [this] { listRemoval_->PushButton3_Click(); });
    connect(c.PushButton4, &QPushButton::clicked, this, [this] { listFilling_->PushButton4_Click(); });
    connect(c.PushButton5, &QPushButton::clicked, this, [this] { sampleVideos_->PushButton5_Click(); });
    connect(c.PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    // A shortcut of the window, so Esc works wherever the focus is on it.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &Form1::Escape_Press);
    connect(c.OptionGroup, &QButtonGroup::idToggled, this, [this](int number, bool checked) {
        if (checked)
            Option_Click(number);
    });
    connect(c.Combo1, &QComboBox::currentTextChanged, this, &Form1::Combo1_Change);
    connect(c.Combo1, &QComboBox::textActivated, this, &Form1::Combo1_Change);
    connect(c.Combo2, &QComboBox::currentIndexChanged, this, &Form1::Combo2_Change);
    const std::pair<QLineEdit*, Key> fields[] = {{c.Text2, Key::WhichFramesValue}, {c.Text3, Key::FromTime}, {c.Text4, Key::ToTime}};
    for (const auto& [field, key] : fields)
        connect(field, &QLineEdit::textChanged, this, [this, key = key](const QString& text) { WhichFrames_Change(key, text); });
    for (const auto& [field, key] : {std::pair{c.Text5, Key::FitWidth}, std::pair{c.Text6, Key::FitHeight}})
        connect(field, &QLineEdit::textChanged, this, [this, key = key](const QString& text) { Pictures_Change(key, text); });
    const std::pair<QCheckBox*, Key> boxes[] = {{c.Check1, Key::SquarePixels}, {c.Check2, Key::Deinterlace},
        {c.Check3, Key::FolderPerVideo}, {c.Check4, Key::EqualLengthNumbers}, {c.Check5, Key::KeepExisting}};
    for (const auto& [box, key] : boxes) {
        connect(box, &QCheckBox::toggled, this,
            [this, key = key](bool checked) { Pictures_Change(key, checked ? QStringLiteral("1") : QString()); });
    }
    connect(c.Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(c.Slider1, &QSlider::valueChanged, this, [this](int quality) {
        snapshot_.Update([quality](ControlValues& v) { v.quality = quality; });
    });
    connect(&driver_, &ConversionDriver::Finished, this, [this] { controls_.Creator->clear(); });
    connect(busy_, &BusyState::Changed, this, &Form1::ShowBusyCursor);
}

// Each part gets the controls and the state it uses, and nothing else of the window.
void Form1::MakeListEditing()
{
    const Form1Controls& c = controls_;
    FileListWidget& list = *c.ListView1;
    listFilling_ = std::make_unique<ListFilling>(list, *busy_, store_, dialogs_);
    listRemoval_ = std::make_unique<ListRemoval>(list, *busy_, dialogs_);
    dragPointer_ = std::make_unique<DragPointer>(list, *busy_, environment_.programFolder);
    sampleVideos_ = std::make_unique<SampleVideos>(list, store_, environment_.programFolder, dialogs_, environment_.openFolder);

    HoverFeedback::Areas areas;
    areas.window = this;
    areas.buttons = {c.PushButton1, c.PushButton2, c.PushButton3, c.PushButton4, c.PushButton5, c.PushButton7};
    areas.plain = {this, c.Frame1, c.Frame2, c.Frame3, c.Frame4, c.Frame5, c.Text1, c.Text2, c.Text3, c.Text4, c.Text5, c.Text6,
        c.Label1, c.Label2, c.Label3, c.Label4, list.viewport()};
    areas.withoutRule = {c.Slider1, c.Combo1, c.Combo2, c.ProgressBar1, c.ProgressBar2};
    areas.withoutRule.insert(areas.withoutRule.end(), c.Option.begin(), c.Option.end());
    areas.withoutRule.insert(areas.withoutRule.end(), {c.Check1, c.Check2, c.Check3, c.Check4, c.Check5});
    areas.folderBox = c.Text1;
    areas.listArea = list.viewport();
    hoverFeedback_ = std::make_unique<HoverFeedback>(std::move(areas), *busy_, handCursor_);
}

void Form1::Form_Load()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kFormLoad);
    const Form1Controls& c = controls_;
    const QDir programFolder(environment_.programFolder);

    // Skin and hand cursor from beside the program.
    const QString skinPath = programFolder.filePath(QStringLiteral("x/o.cjs"));
    if (trap.Test(100, [&] { return QFileInfo(skinPath).isFile(); }))
        trap.Run(102, [&] { ApplySkin(*this, skinPath); });
    const QString cursorPath = programFolder.filePath(QStringLiteral("HAND-M.CUR"));
    if (trap.Test(104, [&] { return FileExists(cursorPath); }))
        trap.Run(106, [&] { handCursor_ = LoadCursorFile(cursorPath); });

    // One start in a hundred, on average, visits the home page.
    if (trap.Test(108, [&] { return environment_.drawOneToHundred() == 7; }))
        trap.Run(110, [&] { environment_.openHomePage(QUrl(QString::fromLatin1(Form1Environment::kHomePage))); });

    // First-run samples, tested twice.
    for (const int label : {112, 116}) {
        if (trap.Test(label, [&] { return store_.Read(Key::Snapshot, QString()).isEmpty(); })) {
            trap.Run(label + 2, [&] {
                if (environment_.firstRunSampleStep)
                    environment_.firstRunSampleStep(store_, environment_.programFolder);
            });
        }
    }

    trap.Run(120, [&] { setWindowTitle(QString::fromLatin1(kCaption)); });
    trap.Run(122, [&] { setWindowIcon(QIcon(QStringLiteral(":/stillpress/stillpress.png"))); });
    trap.Run(124, [&] { applicationTitle_ = DeriveApplicationTitle(QString::fromLatin1(SettingsStore::kApplication)); });
    trap.Run(126, [&] { c.ListView1->SetHeaderText(QStringLiteral("AVI File(s)")); });
    trap.Run(128, [&] { c.ListView1->setColumnWidth(0, Twips{static_cast<qreal>(logicalDpiX())}.ToPixels(7000)); });
    trap.Run(130, [&] { AddFrameChoices(); });

    // Restoring the choices raises the controls' own handlers, which store the values straight back.
    trap.Run(132, [&] { SelectFrameChoice(store_.Read(Key::NumberOfFrames)); });
    trap.Run(133, [&] { RestoreWhichFrames(); });
    trap.Run(135, [&] { RestorePictures(); });
    trap.Run(134, [&] { c.Text1->setText(store_.OutputFolder()); });
    // The stored format is read afresh for every comparison; a text that is no 16-bit number fails
    // the first one, whose guarded action, BMP, then runs.
    for (int number = 1; number <= 7; ++number) {
        const int label = 132 + 4 * number;
        if (trap.Test(label, [&] { return store_.FormatNumber() == number; })) {
            trap.Run(label + 2, [&] { c.OptionButton(number)->setChecked(true); });
            break;
        }
    }
}

void Form1::AddFrameChoices()
{
    // Filling the list picks nothing yet; the restore that follows picks the stored choice.
    const QSignalBlocker blocker(controls_.Combo1);
    controls_.Combo1->addItems(FrameLimit::Choices());
    controls_.Combo1->setCurrentIndex(-1);
}

void Form1::RestoreWhichFrames()
{
    // Restored without storing back: what a fresh installation stores at start-up stays as it was.
    const Form1Controls& c = controls_;
    const QSignalBlocker combo(c.Combo2), value(c.Text2), from(c.Text3), to(c.Text4);
    c.Combo2->addItems(WhichFramesFields::Rules());
    const int rule = c.Combo2->findText(store_.Read(Key::WhichFrames), Qt::MatchExactly | Qt::MatchCaseSensitive);
    c.Combo2->setCurrentIndex(rule >= 0 ? rule : 0);
    c.Text2->setText(store_.Read(Key::WhichFramesValue));
    c.Text3->setText(store_.Read(Key::FromTime));
    c.Text4->setText(store_.Read(Key::ToTime));
    TakeWhichFrames();
}

void Form1::TakeWhichFrames()
{
    controls_.Text2->setEnabled(WhichFramesFields::TakesValue(controls_.Combo2->currentIndex()));
    const std::variant<FrameSelection, QString> fields = ReadWhichFrames();
    if (const auto* selection = std::get_if<FrameSelection>(&fields))
        snapshot_.Update([&](ControlValues& v) { v.selection = *selection; });
}

std::variant<FrameSelection, QString> Form1::ReadWhichFrames() const
{
    const Form1Controls& c = controls_;
    return WhichFramesFields::Read(c.Combo2->currentIndex(), c.Text2->text(), c.Text3->text(), c.Text4->text());
}

void Form1::Combo2_Change()
{
    WhichFrames_Change(Key::WhichFrames, controls_.Combo2->currentText());
}

void Form1::WhichFrames_Change(Key key, const QString& text)
{
    store_.Write(key, text);
    TakeWhichFrames();
}

void Form1::RestorePictures()
{
    // Restored without storing back, as the fields of which frames are.
    const Form1Controls& c = controls_;
    const QSignalBlocker width(c.Text5), height(c.Text6), square(c.Check1), deinterlace(c.Check2), folder(c.Check3),
        numbers(c.Check4), keep(c.Check5);
    c.Text5->setText(store_.Read(Key::FitWidth));
    c.Text6->setText(store_.Read(Key::FitHeight));
    const std::pair<QCheckBox*, Key> boxes[] = {{c.Check1, Key::SquarePixels}, {c.Check2, Key::Deinterlace},
        {c.Check3, Key::FolderPerVideo}, {c.Check4, Key::EqualLengthNumbers}, {c.Check5, Key::KeepExisting}};
    for (const auto& [box, key] : boxes)
        box->setChecked(store_.Read(key) == QLatin1String("1"));
    TakePictures();
}

std::variant<PicturesFields::Pictures, QString> Form1::ReadPictures() const
{
    const Form1Controls& c = controls_;
    return PicturesFields::Read({c.Text5->text(), c.Text6->text(), c.Check1->isChecked(), c.Check2->isChecked(),
        c.Check3->isChecked(), c.Check4->isChecked(), c.Check5->isChecked()});
}

void Form1::Pictures_Change(Key key, const QString& text)
{
    store_.Write(key, text);
    TakePictures();
}

void Form1::TakePictures()
{
    const std::variant<PicturesFields::Pictures, QString> fields = ReadPictures();
    if (const auto* pictures = std::get_if<PicturesFields::Pictures>(&fields)) {
        snapshot_.Update([&](ControlValues& v) {
            v.shape = pictures->shape;
            v.naming = pictures->naming;
        });
    }
}

void Form1::SelectFrameChoice(const QString& text)
{
    // A pick-only list cannot show a text that is none of its entries: such a stored text gives way
    // to the default entry, which is then stored in its place.
    const int index = controls_.Combo1->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    controls_.Combo1->setCurrentIndex(index >= 0 ? index : 0);
}

void Form1::Option_Click(int number)
{
    const auto format = OutputFormatFromNumber(number);
    if (!format)
        return;
    snapshot_.Update([&](ControlValues& v) { v.format = *format; });
    store_.Write(Key::Option2, QString::number(number));
    controls_.Slider1->setEnabled(*format == OutputFormat::JPG);
}

void Form1::Combo1_Change(const QString& text)
{
    snapshot_.Update([&](ControlValues& v) { v.frameChoice = text; });
    store_.Write(Key::NumberOfFrames, text);
}

void Form1::Text1_Change(const QString& text)
{
    snapshot_.Update([&](ControlValues& v) { v.outputFolder = text; });
    store_.Write(Key::OutputFolder, text);
}

void Form1::PushButton1_Click()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kAddFiles);
    QStringList entries;
    trap.Run(100, [&] { entries = ChooseFilesToAdd(this); });
    for (const QString& entry : std::as_const(entries))
        trap.Run(102, [&] { controls_.ListView1->Append(entry); });
}

void Form1::PushButton2_Click()
{
    if (driver_.IsRunning()) {
        OfferToStop();
        return;
    }
    const std::variant<FrameSelection, QString> selection = ReadWhichFrames();
    const std::variant<PicturesFields::Pictures, QString> pictures = ReadPictures();
    for (const QString* problem : {std::get_if<QString>(&selection), std::get_if<QString>(&pictures)}) {
        if (problem) {
            dialogs_.ShowMessage(*problem);
            return;
        }
    }
    TakeWhichFrames();
    TakePictures();
    driver_.Start();
}

void Form1::Escape_Press()
{
    if (driver_.IsRunning())
        OfferToStop();
}

void Form1::OfferToStop()
{
    driver_.OfferStop([this] { return dialogs_.AskYesNo(QString::fromLatin1(kStopQuestion), DefaultAnswer::No); });
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kBrowseOutput);
    trap.Run(100, [&] { lastFolderDot_ = store_.Read(Key::LastFolderDot); });
    QString picked;
    trap.Run(102, [&] { picked = dialogs_.PickFolder(QStringLiteral("Please select folder:"), lastFolderDot_); });
    if (!trap.Test(104, [&] { return !picked.isEmpty(); }))
        return;
    trap.Run(106, [&] {
        lastFolderDot_ = picked;
        store_.Write(Key::LastFolderDot, picked);
    });
    trap.Run(108, [&] { controls_.Text1->setText(picked.endsWith(NativeSeparator()) ? picked : picked + NativeSeparator()); });
}

WindowHost::Dialogs Form1::RunDialogs()
{
    return {
        [this](const QString& text) { dialogs_.ShowMessage(text); },
        [this](const QString& prompt, const QString& title, const QString& defaultText) {
            return dialogs_.AskText(prompt, defaultText, title);
        },
        [this](const QString& message) { dialogs_.ShowErrorReport(message); },
        [this](const QString& text, bool othersMayFollow) { return dialogs_.ShowFileMessage(text, othersMayFollow); },
    };
}

void Form1::ShowProgress(const ProgressChanges& changes)
{
    TextProgressBar* bars[] = {controls_.ProgressBar1, controls_.ProgressBar2};
    for (std::size_t i = 0; i < 2; ++i) {
        if (changes.percent[i])
            bars[i]->SetPercent(*changes.percent[i]);
        if (changes.text[i])
            bars[i]->SetText(*changes.text[i]);
    }
    if (changes.busy)
        busy_->RunReportTaken();
    if (changes.frame)
        controls_.Creator->setPixmap(FramePreview(*changes.frame, controls_.Creator->size()));
}

bool Form1::IsBusy() const
{
    return busy_->IsBusy();
}

void Form1::ShowBusyCursor(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program at once, a run included; every setting was stored when it changed.
    driver_.Stop();
    busy_->RunReportTaken();
    listFilling_->StopScans();
    event->accept();
}
