#include "convert/run/frame_limit.h"

#include "common/whole_number.h"

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
    // Beyond 32 bits the user means "as many as there are" (or none, below zero): an overflow gives
    // the bound on its side.
    return ReadWholeNumber(answer, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()).value;
}

}  // namespace FrameLimit
