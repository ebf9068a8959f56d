#include "window/busy_state.h"

#include <utility>

BusyState::BusyState(std::function<bool()> runReported, QObject* parent)
    : QObject(parent), runReported_(std::move(runReported))
{
}

bool BusyState::IsBusy() const
{
    return scanning_ || runReported_();
}

void BusyState::SetScanning(bool scanning)
{
    scanning_ = scanning;
    Announce();
}

void BusyState::RunReportTaken()
{
    Announce();
}

void BusyState::Announce()
{
    const bool busy = IsBusy();
    if (busy == announced_)
        return;
    announced_ = busy;
    emit Changed(busy);
}
