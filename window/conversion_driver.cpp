#include "window/conversion_driver.h"

#include "convert/run/conversion_run.h"

#include <utility>

ConversionDriver::ConversionDriver(QObject* parent, const FileListModel& entries, const ControlSnapshot& snapshot,
    std::atomic<bool>& isConverting,
    WindowHost::Dialogs dialogs, std::function<void(const ProgressChanges&)> showProgress)
    : QObject(parent),
      isConverting_(isConverting),
      showProgress_(std::move(showProgress)),
      host_(*this, entries, snapshot, relay_, AfterPendingProgress(std::move(dialogs)),
          [this] { QMetaObject::invokeMethod(this, &ConversionDriver::ProgressPending, Qt::QueuedConnection); })
{
    throttle_.setSingleShot(true);
    connect(&throttle_, &QTimer::timeout, this, &ConversionDriver::ShowPendingProgress);
}

ConversionDriver::~ConversionDriver()
{
    Stop();
}

// A dialog first shows the progress made so far, so that the final message appears over bars that
// already read their resting texts.
WindowHost::Dialogs ConversionDriver::AfterPendingProgress(WindowHost::Dialogs dialogs)
{
    return {
        [this, show = std::move(dialogs.message)](const QString& text) {
            ShowPendingProgress();
            show(text);
        },
        [this, ask = std::move(dialogs.ask)](const QString& prompt, const QString& title, const QString& defaultText) {
            ShowPendingProgress();
            return ask(prompt, title, defaultText);
        },
        [this, report = std::move(dialogs.errorReport)](const QString& message) {
            ShowPendingProgress();
            report(message);
        },
        [this, show = std::move(dialogs.fileMessage)](const QString& text, bool othersMayFollow) {
            ShowPendingProgress();
            return show(text, othersMayFollow);
        },
    };
}

void ConversionDriver::Start()
{
    if (running_)
        return;
    if (worker_.joinable())
        worker_.join();  // the previous run's thread, already past its end
    running_ = true;
    const int run = ++runNumber_;
    host_.ClearStop();
    worker_ = std::jthread([this, run] {
        ConversionRun::Execute(host_, isConverting_);
        QMetaObject::invokeMethod(this, [this, run] { RunEnded(run); }, Qt::QueuedConnection);
    });
}

void ConversionDriver::OfferStop(const std::function<bool()>& ask)
{
    if (!running_ || askingToStop_)
        return;
    askingToStop_ = true;
    const int run = runNumber_;
    host_.AskingToStop();
    const bool stop = ask();
    askingToStop_ = false;
    if (run == runNumber_)
        host_.AnsweredStop(stop);
}

void ConversionDriver::Stop()
{
    if (!worker_.joinable())
        return;
    host_.RequestStop();
    worker_.join();
    throttle_.stop();
    running_ = false;
    // A stopped run ends where it stands: nothing it reported is shown any more, and it is no longer busy.
    relay_.SetBusy(false);
    relay_.Take();
}

void ConversionDriver::ProgressPending()
{
    if (throttle_.isActive())
        return;
    const qint64 since = sinceProgress_.isValid() ? sinceProgress_.elapsed() : kProgressInterval;
    if (since >= kProgressInterval)
        ShowPendingProgress();
    else
        throttle_.start(static_cast<int>(kProgressInterval - since));
}

void ConversionDriver::ShowPendingProgress()
{
    throttle_.stop();
    sinceProgress_.start();
    ProgressChanges changes = relay_.Take();
    if (changes.frame) {
        if (sincePreview_.isValid() && sincePreview_.elapsed() < kPreviewInterval)
            changes.frame.reset();
        else
            sincePreview_.start();
    }
    showProgress_(changes);
}

void ConversionDriver::RunEnded(int run)
{
    if (!running_ || run != runNumber_)
        return;  // stopped meanwhile
    worker_.join();
    ShowPendingProgress();
    running_ = false;
    emit Finished();
}
