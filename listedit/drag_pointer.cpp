#include "listedit/drag_pointer.h"

#include "common/path_helpers.h"
#include "window/busy_state.h"
#include "window/file_list_widget.h"

#include <QPixmap>

#include <utility>

std::optional<QCursor> LoadDragPointer(const QString& programFolder)
{
    const QPixmap image(JoinPath(programFolder, QStringLiteral("drag.ico")));
    if (image.isNull())
        return std::nullopt;
    return QCursor(image);  // hot spot in the middle
}

DragPointer::DragPointer(FileListWidget& list, const BusyState& busy, QString programFolder)
    : list_(list), busy_(busy), programFolder_(std::move(programFolder))
{
    connect(&list, &FileListWidget::CarryStarted, this, &DragPointer::Show);
    connect(&list, &FileListWidget::CarryEnded, this, &DragPointer::Hide);
}

void DragPointer::Show()
{
    if (busy_.IsBusy())
        return;
    if (const std::optional<QCursor> pointer = LoadDragPointer(programFolder_))
        list_.viewport()->setCursor(*pointer);
}

void DragPointer::Hide()
{
    if (!busy_.IsBusy())
        list_.viewport()->unsetCursor();
}
