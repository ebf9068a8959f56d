#include "settings/whole_number.h"

#include "common/failure.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

constexpr int kTypeMismatch = 13;

}  // namespace

std::int16_t WholeNumber16(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch())
        throw Failure(kTypeMismatch, QStringLiteral("Type mismatch"));
    bool ok = false;
    const double rounded = std::nearbyint(text.trimmed().toDouble(&ok));  // the default rounding mode: halves to even
    // A number too large even for a double fails the conversion; it overflows all the same.
    if (!ok || rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        throw Failure(Failure::kOverflow, QStringLiteral("Overflow"));
    return static_cast<std::int16_t>(rounded);
}
