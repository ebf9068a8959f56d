#include "common/error_report.h"

namespace ErrorReport {

QString Compose(const QString& description, const QString& location, int lineLabel)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ")
        + QString::number(lineLabel) + QStringLiteral("\r\r")
        + QStringLiteral("Please email screenshot of this message to ") + QLatin1String(kSupportAddress);
}

}  // namespace ErrorReport
