#pragma once

#include <QObject>

#include <functional>

// Whether the window is busy: a conversion run or a folder scan is working. One value with one
// change signal: removing and clearing entries test it; the wait pointer and the hover feedback
// follow Changed. Lives on the user-interface thread.
class BusyState : public QObject {
    Q_OBJECT
public:
    // `runReported` answers whether a run has reported itself busy. A run reports from its own
    // thread, so that answer turns before the window has taken the report, and a removal in between
    // is refused all the same; Changed follows when the window takes the report (RunReportTaken).
    BusyState(std::function<bool()> runReported, QObject* parent);

    bool IsBusy() const;

    // A folder scan starts or ends.
    void SetScanning(bool scanning);
    // The window has taken a run's report of its busy state, or has stopped the run.
    void RunReportTaken();

signals:
    void Changed(bool busy);

private:
    void Announce();

    std::function<bool()> runReported_;
    bool scanning_ = false;
    bool announced_ = false;  // the state Changed last told
};
