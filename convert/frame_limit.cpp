#include "convert/frame_limit.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace FrameLimit {

QStringList Choices()
{
    return {QStringLiteral("Save every frame in AVI as JPG"), QStringLiteral("Save every 10 frames in AVI as JPG"),
        QStringLiteral("Save every 100 frames in AVI as JPG"), QStringLiteral("Save every 1000 frames in AVI as JPG"),
        kEveryX};
}

std::int32_t ForChoice(const QString& choiceText, std::int32_t frameCount, std::int32_t current)
{
    const QStringList choices = Choices();
    if (choiceText == choices[0])
        return frameCount;
    if (choiceText == choices[1])
        return 10;
    if (choiceText == choices[2])
        return 100;
    if (choiceText == choices[3])
        return 1000;
    return current;
}

std::int32_t FromAnswer(const QString& answer)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(answer).hasMatch())
        return 0;
    bool ok = false;
    const double value = answer.trimmed().toDouble(&ok);
    if (!ok || std::isnan(value))
        return 0;
    // Beyond 32 bits the user means "as many as there are" (or none, below zero).
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::nearbyint(value));  // the default rounding mode: halves to even
}

}  // namespace FrameLimit
