#pragma once

#include "window/form1.h"
#include "window/form1_controls.h"
#include "window/form1_environment.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariant>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFileDialog;

// Settings in a fresh temporary folder, for one test: the program's store and the test's own view
// of it both go there, never to the user's real settings.
class ThrowAwaySettings {
public:
    ThrowAwaySettings();

    // The stored text of a key, read independently of the program's store; none when absent.
    QVariant Value(const QString& key) const;
    bool Contains(const QString& key) const;
    void Put(const QString& key, const QString& value);
    QStringList Keys() const;
    // Where the settings files go.
    QString Folder() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

// What a message box showed.
struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QString checkBox;  // the text of its check box; empty without one
};

// Answers modal dialogs from a timer as they appear, each with the next answer queued. A dialog
// that appears with no answer queued, or stays open long after its answer (it refused it), is recorded
// and rejected, so a test never hangs on it.
class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget* dialog)>;

    ModalAnswerer();

    void Queue(Answer answer);
    // Waits (bounded) until every queued answer has been given.
    bool WaitUntilAnswered(int timeoutMs = 10000);

    const std::vector<SeenMessageBox>& MessageBoxes() const { return messageBoxes_; }
    const QStringList& Unexpected() const { return unexpected_; }

    // Common answers.
    Answer ClickOk();                               // a message box: records it, then OK
    Answer TickAndClickOk();                        // the same, ticking its check box first
    static Answer PickFiles(const QString& folder, const QStringList& names);  // typed as the user would
    static Answer PickFolder(const QString& folder);
    static Answer Cancel();

private:
    void Poll();
    Answer Ok(bool tick);

    QTimer timer_;
    std::deque<Answer> answers_;
    QHash<QWidget*, QElapsedTimer> answeredAt_;
    std::vector<SeenMessageBox> messageBoxes_;
    QStringList unexpected_;
};

// The window's controls, found by their names as a user finds them by their captions.
Form1Controls ControlsOf(const Form1& form);

// An environment for the window that never visits the home page and looks for its files in `programFolder`.
Form1Environment QuietEnvironment(const QString& programFolder);

// One test's world: throw-away settings, a dialog answerer, an empty program folder, and once
// opened, the main window started from there.
class WindowBench {
public:
    ThrowAwaySettings settings;
    ModalAnswerer answerer;
    QTemporaryDir programFolder;

    // Starts the window (Form_Load) and shows it.
    Form1& OpenWindow();
    // The dialogs that appeared without an answer, for the test's end.
    QString UnexpectedDialogs() const { return answerer.Unexpected().join(QStringLiteral("; ")); }

private:
    std::unique_ptr<Form1> window_;  // last: closed before the rest goes
};

// A test that runs conversions from the window: for each test, a bench with the window opened, and a
// work folder holding "videos" and "frames"; at each test's end, no dialog may have come unanswered.
class ConversionWindowTest : public QObject {
    Q_OBJECT

protected:
    // The set-up and clean-up of one test, for a test class whose own init() or cleanup() does more.
    void OpenBench();
    void CloseBench();

    QString Videos() const { return work_->filePath(QStringLiteral("videos")); }
    QString Frames() const { return work_->filePath(QStringLiteral("frames")); }
    // The videos in the list, the format option numbered `format` chosen, and the frames folder as output.
    void ListVideos(const QStringList& videos, int format);
    // Start is pressed, `message` is all that shows, and no run starts.
    void ExpectStartRefused(const QString& message);

    std::optional<WindowBench> bench_;
    Form1* form_ = nullptr;

private slots:
    void init() { OpenBench(); }
    void cleanup() { CloseBench(); }

private:
    std::optional<QTemporaryDir> work_;
};

// The shipped resources (skin, cursor) in the source tree.
QString ResourcesFolder();

// Every file in `folder`, hidden ones included, sorted.
QStringList FilesIn(const QString& folder);

// stem_0.extension ... stem_(count-1).extension, sorted as FilesIn sorts.
QStringList NumberedNames(const QString& stem, int count, const QString& extension);
