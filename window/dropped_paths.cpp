#include "window/dropped_paths.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

QStringList DroppedLocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}
