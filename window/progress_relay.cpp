#include "window/progress_relay.h"

#include <utility>

namespace {

std::size_t IndexOf(ConversionHost::Bar bar)
{
    return bar == ConversionHost::Bar::Files ? 0 : 1;
}

}  // namespace

template <class Change>
bool ProgressRelay::Record(Change&& change)
{
    std::lock_guard lock(mutex_);
    change(pending_);
    return !std::exchange(noticeSent_, true);
}

bool ProgressRelay::SetPercent(ConversionHost::Bar bar, double percent)
{
    return Record([&](ProgressChanges& p) { p.percent[IndexOf(bar)] = percent; });
}

bool ProgressRelay::SetText(ConversionHost::Bar bar, const QString& text)
{
    return Record([&](ProgressChanges& p) { p.text[IndexOf(bar)] = text; });
}

bool ProgressRelay::SetBusy(bool busy)
{
    busy_ = busy;
    return Record([&](ProgressChanges& p) { p.busy = busy; });
}

bool ProgressRelay::SetFrame(std::shared_ptr<const PackedDib> frame)
{
    return Record([&](ProgressChanges& p) { p.frame = std::move(frame); });
}

ProgressChanges ProgressRelay::Take()
{
    std::lock_guard lock(mutex_);
    noticeSent_ = false;
    return std::exchange(pending_, ProgressChanges{});
}
