#include "convert/run/frame_progress.h"

#include <algorithm>

namespace {

QString CountedText(std::int64_t frame, std::int64_t total)
{
    return QStringLiteral("Frames Processed: %1 of %2 frame(s)").arg(frame).arg(total);
}

}  // namespace

QString FrameProgress::Text(std::int64_t frame) const
{
    const QString kept = kept_ > 0 ? QStringLiteral(", %1 kept").arg(kept_) : QString();
    if (total_)
        return CountedText(frame, std::max<std::int64_t>(frame, *total_)) + kept;
    return QStringLiteral("Frames Processed: %1").arg(frame) + kept;
}

double FrameProgress::Value(std::int64_t frame, double readFraction)
{
    const double now = total_ ? double(frame) / *total_ * 100.0 : readFraction * 100.0;
    shown_ = std::clamp(now, shown_, 100.0);
    return shown_;
}

std::optional<QString> FrameProgress::EndText(std::int64_t taken)
{
    if (taken <= 0)
        return std::nullopt;
    return CountedText(taken, taken);
}
