#pragma once

#include "common/error_trap.h"
#include "settings/settings_store.h"
#include "window/busy_state.h"
#include "window/control_snapshot.h"
#include "window/conversion_driver.h"
#include "window/form1_controls.h"
#include "window/form1_environment.h"

#include <QCursor>
#include <QWidget>

#include <atomic>

struct ProgressChanges;

// The main window: its controls, its start-up and the handlers of the list, the output options and
// the conversion run. Features that attach later (list editing, the folder scan, samples, hover)
// reach the controls through Controls() and report failures through MakeTrap().
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Stillpress Software";

    explicit Form1(Form1Environment environment, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence; runs once, before the window is first shown.
    void Form_Load();

    const Form1Controls& Controls() const { return controls_; }
    // Where the files shipped beside the program are looked for.
    const QString& ProgramFolder() const { return environment_.programFolder; }
    SettingsStore& Store() { return store_; }
    // The title of message boxes and prompts that name none of their own.
    const QString& ApplicationTitle() const { return applicationTitle_; }
    // The pointer the push buttons show when hovered: the hand cursor file, else the toolkit's hand.
    const QCursor& HandCursor() const { return handCursor_; }

    // Busy while a run or a folder scan works; the wait cursor shows on the window meanwhile.
    bool IsBusy() const { return busy_->IsBusy(); }
    BusyState& Busy() { return *busy_; }
    bool IsConverting() const { return isConverting_; }

    // A trap for a handler that carries one: failures are shown as the error report over this window.
    ErrorTrap MakeTrap(const char* location);

    // Message boxes titled with the application title.
    void ShowMessage(const QString& text);

    // Handlers.
    void PushButton1_Click();  // add files by dialog
    void PushButton2_Click();  // start converting
    void PushButton7_Click();  // browse for the output folder
    void Option_Click(int number);
    void Combo1_Change(const QString& text);
    void Text1_Change(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ConnectHandlers();
    void AddFrameChoices();
    void SelectFrameChoice(const QString& text);
    void ShowProgress(const ProgressChanges& changes);
    void ShowBusyCursor(bool busy);
    WindowHost::Dialogs RunDialogs();

    Form1Environment environment_;
    Form1Controls controls_;
    SettingsStore store_;
    ControlSnapshot snapshot_;
    QString applicationTitle_;
    QCursor handCursor_{Qt::PointingHandCursor};
    QString lastFolderDot_;  // the output-side folder memory
    BusyState* busy_;        // a child of the window
    std::atomic<bool> isConverting_{false};
    ConversionDriver driver_;  // after everything the run reads, so it stops first
};
