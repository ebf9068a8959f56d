#pragma once

#include "convert/run/conversion_host.h"
#include "filelist/file_list_model.h"
#include "window/control_snapshot.h"
#include "window/progress_relay.h"

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>

// The window's side of a conversion run, called from the run's thread. The entries come from the
// list's model, the other inputs from the control snapshot; dialogs are shown on the user-interface
// thread while the run's thread waits for the answer (or for a stop); progress goes through the
// relay, and the window is told only when the relay had nothing pending, so a fast run never floods
// the user-interface thread.
class WindowHost final : public ConversionHost {
public:
    // Each runs on the user-interface thread and returns when the user has answered.
    struct Dialogs {
        std::function<void(const QString& text)> message;
        std::function<std::optional<QString>(const QString& prompt, const QString& title, const QString& defaultText)> ask;
        std::function<void(const QString& message)> errorReport;
        // A file the run cannot convert; true when the user chose to see no more such messages.
        std::function<bool(const QString& text, bool othersMayFollow)> fileMessage;
    };

    // `ui` is an object of the user-interface thread that dialogs are posted to; `progressPending`
    // is called on the run's thread when the relay holds news for the window.
    WindowHost(QObject& ui, const FileListModel& entries, const ControlSnapshot& snapshot, ProgressRelay& relay,
        Dialogs dialogs, std::function<void()> progressPending);

    int ItemCount() override;
    QString ItemText(int index) override;
    QString OutputFolder() override;
    QString FrameChoice() override;
    FrameSelection Selection() override;
    ImageNaming Naming() override;
    PictureShape Shape() override;
    OutputFormat Format() override;
    int Quality() override;

    void ShowMessage(const QString& text) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title, const QString& defaultText) override;
    void ShowErrorReport(const QString& message) override;
    bool ShowFileMessage(const QString& text, bool othersMayFollow) override;

    // Shown on the frames bar until the next file.
    void Remark(const QString& text) override { SetBarText(Bar::Frames, text); }
    void SetBarValue(Bar bar, double percent) override;
    void SetBarText(Bar bar, const QString& text) override;
    void SetBusy(bool busy) override;
    bool ShowsFrames() const override { return true; }
    void ShowFrame(const std::shared_ptr<const PackedDib>& frame) override;

    bool StopRequested() override;
    // Waits while the user is being asked whether to stop.
    bool StopAsked() override;

    // From the user-interface thread: the run must stop; a dialog it waits for answers nothing.
    void RequestStop();
    // From the user-interface thread, before a new run.
    void ClearStop();
    // From the user-interface thread: the user is being asked whether to stop; the run waits at its
    // next frame until the answer, and on Yes finishes the frames being encoded and ends.
    void AskingToStop();
    void AnsweredStop(bool stop);

private:
    // Runs `dialog` on the user-interface thread and waits for its result; none after a stop.
    template <class Result>
    std::optional<Result> AnswerOnUiThread(std::function<Result()> dialog);
    void Notify(bool relayWasIdle);

    QObject& ui_;
    const FileListModel& entries_;
    const ControlSnapshot& snapshot_;
    ProgressRelay& relay_;
    Dialogs dialogs_;
    std::function<void()> progressPending_;

    std::mutex mutex_;
    std::condition_variable answered_;
    // Guarded by mutex_.
    bool stop_ = false;
    bool askingToStop_ = false;
    bool stopAsked_ = false;
};
