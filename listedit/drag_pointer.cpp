#include "listedit/drag_pointer.h"

#include "common/path_helpers.h"

#include <QPixmap>

std::optional<QCursor> LoadDragPointer(const QString& programFolder)
{
    const QPixmap image(JoinPath(programFolder, QStringLiteral("drag.ico")));
    if (image.isNull())
        return std::nullopt;
    return QCursor(image);  // hot spot in the middle
}
