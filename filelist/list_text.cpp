#include "filelist/list_text.h"

namespace {

QString HalveSeparatorPairs(QString text, QChar separator)
{
    return text.replace(QString(2, separator), QString(separator));
}

} // namespace

QString NormalizePath(const QString& path, QChar separator)
{
    if (separator != QLatin1Char('\\') || !path.startsWith(separator))
        return HalveSeparatorPairs(path, separator);

    qsizetype serverStart = 1;
    while (serverStart < path.size() && path.at(serverStart) == separator)
        ++serverStart;
    return QString(2, separator) + HalveSeparatorPairs(path.mid(serverStart), separator);
}

bool IsInList(const QStringList& entries, const QString& text)
{
    return entries.contains(text, Qt::CaseSensitive);
}
