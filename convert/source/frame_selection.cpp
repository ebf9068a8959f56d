#include "convert/source/frame_selection.h"

#include <QStringList>

#include <limits>

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
// Far beyond any video, and far below where nanoseconds overflow 64 bits.
constexpr std::int64_t kMostSeconds = 1'000'000'000;

// ASCII digits only: QString::toLongLong would also take signs, blanks and digits of other scripts.
std::optional<std::int64_t> Digits(const QString& text, int most)
{
    if (text.isEmpty() || text.size() > most)
        return std::nullopt;
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

}  // namespace

std::optional<Seconds> Seconds::Parse(const QString& text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    // ".5" is half a second, as "0.5" is.
    const QString whole = point < 0 ? text : point == 0 ? QStringLiteral("0") : text.left(point);
    std::int64_t fraction = 0;
    if (point >= 0) {
        const QString decimals = text.mid(point + 1);
        const std::optional<std::int64_t> digits = Digits(decimals, 9);
        if (!digits)
            return std::nullopt;
        fraction = *digits;
        for (qsizetype i = decimals.size(); i < 9; ++i)
            fraction *= 10;
    }
    const QStringList fields = whole.split(QLatin1Char(':'));
    if (fields.size() > 3)
        return std::nullopt;
    std::int64_t seconds = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        // The first field may be as large as it likes; those after a colon are minutes or seconds.
        const bool first = i == 0;
        const std::optional<std::int64_t> value = Digits(fields[i], first ? 10 : 2);
        if (!value || (!first && (*value >= 60 || fields[i].size() != 2)))
            return std::nullopt;
        seconds = seconds * 60 + *value;
        if (seconds > kMostSeconds)
            return std::nullopt;
    }
    return Seconds{seconds * kNanosecondsPerSecond + fraction};
}
