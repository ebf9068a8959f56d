#include "window/window_host.h"

#include "common/failure.h"

#include <memory>
#include <utility>

namespace {

constexpr int kIndexOutOfBounds = 35600;

}  // namespace

WindowHost::WindowHost(QObject& ui, const FileListModel& entries, const ControlSnapshot& snapshot, ProgressRelay& relay,
    Dialogs dialogs, std::function<void()> progressPending)
    : ui_(ui),
      entries_(entries),
      snapshot_(snapshot),
      relay_(relay),
      dialogs_(std::move(dialogs)),
      progressPending_(std::move(progressPending))
{
}

int WindowHost::ItemCount()
{
    return entries_.Count();
}

QString WindowHost::ItemText(int index)
{
    const std::optional<QString> text = entries_.Text(index);
    // The list can shrink while a run works through it.
    if (!text)
        throw Failure(kIndexOutOfBounds, QStringLiteral("Index out of bounds"));
    return *text;
}

QString WindowHost::OutputFolder()
{
    return snapshot_.Read([](const ControlValues& v) { return v.outputFolder; });
}

QString WindowHost::FrameChoice()
{
    return snapshot_.Read([](const ControlValues& v) { return v.frameChoice; });
}

FrameSelection WindowHost::Selection()
{
    return snapshot_.Read([](const ControlValues& v) { return v.selection; });
}

ImageNaming WindowHost::Naming()
{
    return snapshot_.Read([](const ControlValues& v) { return v.naming; });
}

PictureShape WindowHost::Shape()
{
    return snapshot_.Read([](const ControlValues& v) { return v.shape; });
}

OutputFormat WindowHost::Format()
{
    return snapshot_.Read([](const ControlValues& v) { return v.format; });
}

int WindowHost::Quality()
{
    return snapshot_.Read([](const ControlValues& v) { return v.quality; });
}

template <class Result>
std::optional<Result> WindowHost::AnswerOnUiThread(std::function<Result()> dialog)
{
    auto answer = std::make_shared<std::optional<Result>>();
    QMetaObject::invokeMethod(
        &ui_,
        [this, answer, dialog = std::move(dialog)] {
            if (StopRequested())
                return;
            Result result = dialog();
            {
                std::lock_guard lock(mutex_);
                *answer = std::move(result);
            }
            answered_.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answer->has_value() || stop_; });
    return *answer;
}

void WindowHost::ShowMessage(const QString& text)
{
    AnswerOnUiThread<bool>([this, text] {
        dialogs_.message(text);
        return true;
    });
}

std::optional<QString> WindowHost::AskText(const QString& prompt, const QString& title, const QString& defaultText)
{
    return AnswerOnUiThread<std::optional<QString>>([this, prompt, title, defaultText] {
        return dialogs_.ask(prompt, title, defaultText);
    }).value_or(std::nullopt);
}

void WindowHost::ShowErrorReport(const QString& message)
{
    AnswerOnUiThread<bool>([this, message] {
        dialogs_.errorReport(message);
        return true;
    });
}

bool WindowHost::ShowFileMessage(const QString& text, bool othersMayFollow)
{
    return AnswerOnUiThread<bool>([this, text, othersMayFollow] {
        return dialogs_.fileMessage(text, othersMayFollow);
    }).value_or(false);
}

void WindowHost::Notify(bool relayWasIdle)
{
    if (relayWasIdle)
        progressPending_();
}

void WindowHost::SetBarValue(Bar bar, double percent)
{
    Notify(relay_.SetPercent(bar, percent));
}

void WindowHost::SetBarText(Bar bar, const QString& text)
{
    Notify(relay_.SetText(bar, text));
}

void WindowHost::SetBusy(bool busy)
{
    Notify(relay_.SetBusy(busy));
}

void WindowHost::ShowFrame(const std::shared_ptr<const PackedDib>& frame)
{
    Notify(relay_.SetFrame(frame));
}

bool WindowHost::StopRequested()
{
    std::lock_guard lock(mutex_);
    return stop_;
}

void WindowHost::RequestStop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    answered_.notify_all();
}

bool WindowHost::StopAsked()
{
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [this] { return !askingToStop_ || stop_; });
    return stopAsked_;
}

void WindowHost::ClearStop()
{
    std::lock_guard lock(mutex_);
    stop_ = false;
    askingToStop_ = false;
    stopAsked_ = false;
}

void WindowHost::AskingToStop()
{
    std::lock_guard lock(mutex_);
    askingToStop_ = true;
}

void WindowHost::AnsweredStop(bool stop)
{
    {
        std::lock_guard lock(mutex_);
        askingToStop_ = false;
        stopAsked_ = stopAsked_ || stop;
    }
    answered_.notify_all();
}
