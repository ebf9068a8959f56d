#include "cli/path_list.h"

#include <QFile>

#include <cstdio>

std::optional<QStringList> ReadPathList(const QString& list, bool nulSeparated, QString& error)
{
    QFile file(list);
    const bool opened = list == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        error = QStringLiteral("--files-from %1: %2").arg(list, file.errorString());
        return std::nullopt;
    }
    QStringList paths;
    for (QByteArray entry : bytes.split(nulSeparated ? '\0' : '\n')) {
        // Lists written on Windows end their lines with CR LF.
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
            paths << QFile::decodeName(entry);
    }
    return paths;
}
