#pragma once

#include "convert/run/conversion_host.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

class PackedDib;

// The latest progress a run has reported and the window has not shown yet.
struct ProgressChanges {
    std::optional<double> percent[2];  // by bar: [0] ProgressBar1, [1] ProgressBar2
    std::optional<QString> text[2];
    std::optional<bool> busy;
    std::shared_ptr<const PackedDib> frame;
};

// Hands progress from the run's thread to the user-interface thread. Only the latest value of each
// item matters, so repeated reports overwrite each other until the window takes them. Each setter
// answers true when nothing was pending before, which is when the window must be told to come and
// take the changes; later reports ride along with that one notice.
class ProgressRelay {
public:
    bool SetPercent(ConversionHost::Bar bar, double percent);
    bool SetText(ConversionHost::Bar bar, const QString& text);
    bool SetBusy(bool busy);
    bool SetFrame(std::shared_ptr<const PackedDib> frame);

    // The latest busy state reported, shown or not.
    bool Busy() const { return busy_; }

    // Everything reported since the last call; the relay is then empty.
    ProgressChanges Take();

private:
    template <class Change>
    bool Record(Change&& change);

    std::mutex mutex_;
    ProgressChanges pending_;
    bool noticeSent_ = false;
    std::atomic<bool> busy_{false};
};
