#pragma once

#include "convert/output_format.h"

#include <QString>
#include <QStringList>

#include <mutex>

// What a conversion run reads from the window's controls.
struct ControlValues {
    QStringList entries;  // the list's texts, in list order
    QString outputFolder;
    QString frameChoice;
    OutputFormat format = OutputFormat::JPG;
    int quality = 85;
};

// A copy of the control values that the user-interface thread keeps current on every change, so a
// run on another thread reads them without ever waiting for the user-interface thread.
class ControlSnapshot {
public:
    template <class Change>
    void Update(Change&& change)
    {
        std::lock_guard lock(mutex_);
        change(values_);
    }

    template <class Reader>
    auto Read(Reader&& reader) const
    {
        std::lock_guard lock(mutex_);
        return reader(values_);
    }

private:
    mutable std::mutex mutex_;
    ControlValues values_;
};
