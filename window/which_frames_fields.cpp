#include "window/which_frames_fields.h"

#include <array>

namespace WhichFramesFields {

namespace {

constexpr std::array kRules = {FrameSelection::Rule::EveryFrame, FrameSelection::Rule::EveryNth,
    FrameSelection::Rule::Interval, FrameSelection::Rule::Spread, FrameSelection::Rule::KeyFrames};

const QString kTimeForm = QStringLiteral("seconds (90 or 12.5) or [h:]mm:ss (1:30)");

FrameSelection::Rule RuleAt(int rule)
{
    return rule >= 0 && rule < int(kRules.size()) ? kRules[std::size_t(rule)] : FrameSelection::Rule::EveryFrame;
}

}  // namespace

QStringList Rules()
{
    return {QStringLiteral("Every frame"), QStringLiteral("Every n-th frame"), QStringLiteral("One frame every s seconds"),
        QStringLiteral("n frames spread over the video"), QStringLiteral("Key frames only")};
}

bool TakesValue(int rule)
{
    const FrameSelection::Rule kind = RuleAt(rule);
    return kind == FrameSelection::Rule::EveryNth || kind == FrameSelection::Rule::Interval || kind == FrameSelection::Rule::Spread;
}

std::variant<FrameSelection, QString> Read(int rule, const QString& value, const QString& from, const QString& to)
{
    FrameSelection selection;
    selection.rule = RuleAt(rule);
    const QString typed = value.trimmed();
    if (selection.rule == FrameSelection::Rule::Interval) {
        const std::optional<Seconds> seconds = Seconds::Parse(typed);
        if (!seconds || seconds->nanoseconds <= 0)
            return QStringLiteral("\"Which frames\" needs s, a number of seconds above 0 such as 10 or 0.5.");
        selection.interval = *seconds;
    } else if (TakesValue(rule)) {
        bool isNumber = false;
        selection.count = typed.toInt(&isNumber);
        if (!isNumber || selection.count < 1 || typed.startsWith(QLatin1Char('+')))
            return QStringLiteral("\"Which frames\" needs n, a whole number of at least 1.");
    }
    for (const auto& [text, time, name, empty] : {std::tuple{from.trimmed(), &selection.from, "From", "the start"},
             std::tuple{to.trimmed(), &selection.to, "To", "the end"}}) {
        if (text.isEmpty())
            continue;
        *time = Seconds::Parse(text);
        if (!*time)
            return QStringLiteral("\"%1\" needs a time: %2, or nothing for %3.").arg(QLatin1String(name), kTimeForm, QLatin1String(empty));
    }
    if (selection.from && selection.to && *selection.to <= *selection.from)
        return QStringLiteral("\"To\" must come after \"From\".");
    return selection;
}

}  // namespace WhichFramesFields
