#include "common/whole_number.h"

#include <QRegularExpression>

#include <cmath>

WholeNumber ReadWholeNumber(const QString& text, std::int32_t min, std::int32_t max)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?\s*$)"));
    if (!number.match(text).hasMatch())
        return {};
    // The text is a number, so the conversion fails only beyond a double's range, and then answers
    // an infinity for a number too large and 0 for one too small.
    const double rounded = std::nearbyint(text.trimmed().toDouble());  // the default rounding mode: halves to even
    if (rounded > max)
        return {WholeNumber::Reading::Overflow, max};
    if (rounded < min)
        return {WholeNumber::Reading::Overflow, min};
    return {WholeNumber::Reading::Number, static_cast<std::int32_t>(rounded)};
}
