#pragma once

#include "settings/settings_store.h"
#include "window/control_snapshot.h"
#include "window/conversion_driver.h"
#include "window/form1_controls.h"
#include "window/form1_environment.h"
#include "window/pictures_fields.h"
#include "window/window_dialogs.h"

#include <QCursor>
#include <QWidget>

#include <atomic>
#include <memory>
#include <variant>

class BusyState;
class DragPointer;
class HoverFeedback;
class ListFilling;
class ListRemoval;
class SampleVideos;
struct ProgressChanges;

// The main window: its controls, its start-up, the handlers of the add-files button, the output
// options and the conversion run, and the parts that fill and edit the list, each given only the
// controls and state it uses. Nothing of its inside is open: others find its controls by their
// object names, as a user finds them by their captions, and read its busy state, conversion flag,
// title and hand pointer.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Stillpress Software";
    static constexpr const char* kStopQuestion = "Stop converting?";

    explicit Form1(Form1Environment environment, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence; runs once, before the window is first shown.
    void Form_Load();

    // Busy while a run or a folder scan works; the wait cursor shows on the window meanwhile.
    bool IsBusy() const;
    // Until the window has taken in the run's end, Start would still offer to stop it.
    bool IsConverting() const { return isConverting_ || driver_.IsRunning(); }
    // The title of message boxes and prompts that name none of their own.
    const QString& ApplicationTitle() const { return applicationTitle_; }
    // The pointer the push buttons show when hovered: the hand cursor file, else the toolkit's hand.
    const QCursor& HandCursor() const { return handCursor_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Handlers.
    void PushButton1_Click();  // add files by dialog
    void PushButton2_Click();  // start converting, or offer to stop the run in progress
    void Escape_Press();       // offer to stop the run in progress
    void PushButton7_Click();  // browse for the output folder
    void Option_Click(int number);
    void Combo1_Change(const QString& text);
    void Combo2_Change();
    // A field of which frames has changed: it is stored, and the run takes the fields as they now are
    // when they are whole.
    void WhichFrames_Change(SettingsStore::Key key, const QString& text);
    void Text1_Change(const QString& text);

    void ConnectHandlers();
    void MakeListEditing();
    void AddFrameChoices();
    void RestoreWhichFrames();
    void RestorePictures();
    // The frame "Pictures" as the run takes it, or the message that names the field that is wrong.
    std::variant<PicturesFields::Pictures, QString> ReadPictures() const;
    // A field of the frame "Pictures" has changed: it is stored, and the run takes the frame as it now
    // is when it is whole.
    void Pictures_Change(SettingsStore::Key key, const QString& text);
    void TakePictures();
    // Enables the field of n or s for the rules that take one, and gives the run the fields when they are whole.
    void TakeWhichFrames();
    // The fields of which frames as a selection, or the message that names the field that is wrong.
    std::variant<FrameSelection, QString> ReadWhichFrames() const;
    void SelectFrameChoice(const QString& text);
    void ShowProgress(const ProgressChanges& changes);
    void ShowBusyCursor(bool busy);
    void OfferToStop();
    WindowHost::Dialogs RunDialogs();

    Form1Environment environment_;
    Form1Controls controls_;
    SettingsStore store_;
    ControlSnapshot snapshot_;
    QString applicationTitle_;
    QCursor handCursor_{Qt::PointingHandCursor};
    QString lastFolderDot_;  // the output-side folder memory
    WindowDialogs dialogs_;
    BusyState* busy_;  // a child of the window
    std::atomic<bool> isConverting_{false};
    // The parts that fill and edit the list; they go before the state they were given.
    std::unique_ptr<ListFilling> listFilling_;
    std::unique_ptr<ListRemoval> listRemoval_;
    std::unique_ptr<DragPointer> dragPointer_;
    std::unique_ptr<SampleVideos> sampleVideos_;
    std::unique_ptr<HoverFeedback> hoverFeedback_;
    ConversionDriver driver_;  // after everything the run reads, so it stops first
};
