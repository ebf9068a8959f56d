#pragma once

#include "convert/picture/picture_shape.h"
#include "convert/run/image_names.h"
#include "convert/source/frame_selection.h"
#include "convert/writers/output_format.h"

#include <QString>

#include <mutex>

// What a conversion run reads from the window's option controls. The list's entries are not among
// them: a run reads those from the list's own model.
struct ControlValues {
    QString outputFolder;
    QString frameChoice;
    FrameSelection selection;  // the last the "Which frames" fields gave that was whole
    PictureShape shape;        // the last the frame "Pictures" gave that was whole
    ImageNaming naming;
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
