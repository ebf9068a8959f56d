#pragma once

#include "window/control_snapshot.h"
#include "window/progress_relay.h"
#include "window/window_host.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

// Runs "Start Converting" on a thread of its own and brings its progress to the window: at once
// when the window has shown nothing for a while, otherwise at most every kProgressInterval, so the
// user-interface thread never holds the run back. Lives on the user-interface thread.
class ConversionDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kProgressInterval = 40;  // ms between two updates of the bars
    static constexpr int kPreviewInterval = 100;  // ms between two preview pictures

    // The run reads `entries` and `snapshot` from its thread. `dialogs` and `showProgress` are called
    // on the user-interface thread; `isConverting` is the window's flag that the run keeps.
    ConversionDriver(QObject* parent, const FileListModel& entries, const ControlSnapshot& snapshot,
        std::atomic<bool>& isConverting, WindowHost::Dialogs dialogs, std::function<void(const ProgressChanges&)> showProgress);
    ~ConversionDriver() override;

    // Starts a run; ignored while one is in progress.
    void Start();
    // Asks the user through `ask` whether to stop the run in progress; the run waits at its next frame
    // until the answer. On true it starts no new frame, finishes those being encoded and ends with
    // "Stopped.". A run waiting for one of its own dialogs stops after that dialog.
    void OfferStop(const std::function<bool()>& ask);
    // Stops a run at once: a dialog it waits for answers nothing, and the run ends after the frame
    // at hand. Returns when its thread has ended.
    void Stop();

    bool IsRunning() const { return running_; }
    // The busy state the run has reported, even before the window has shown it.
    bool Busy() const { return relay_.Busy(); }

signals:
    void Finished();

private:
    void ProgressPending();
    void ShowPendingProgress();
    void RunEnded(int run);
    WindowHost::Dialogs AfterPendingProgress(WindowHost::Dialogs dialogs);

    std::atomic<bool>& isConverting_;
    std::function<void(const ProgressChanges&)> showProgress_;
    ProgressRelay relay_;
    WindowHost host_;
    QTimer throttle_;
    QElapsedTimer sinceProgress_;
    QElapsedTimer sincePreview_;
    bool running_ = false;
    bool askingToStop_ = false;
    int runNumber_ = 0;  // tells a finished run's late notice from the current run's
    std::jthread worker_;  // last: joined before anything it uses goes away
};
