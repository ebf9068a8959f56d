#include "listedit/drag_pointer.h"

#include "common/path_helpers.h"
#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QPixmap>

#include <utility>

std::optional<QCursor> LoadDragPointer(const QString& programFolder)
{
    const QPixmap image(JoinPath(programFolder, QStringLiteral("drag.ico")));
    if (image.isNull())
        return std::nullopt;
    return QCursor(image);  // hot spot in the middle
}

DragPointer::DragPointer(Form1& form, QString programFolder)
    : QObject(&form), form_(form), programFolder_(std::move(programFolder))
{
    FileListWidget* list = form.Controls().ListView1;
    connect(list, &FileListWidget::CarryStarted, this, &DragPointer::Show);
    connect(list, &FileListWidget::CarryEnded, this, &DragPointer::Hide);
}

void DragPointer::Show()
{
    if (form_.IsBusy())
        return;
    if (const std::optional<QCursor> pointer = LoadDragPointer(programFolder_))
        form_.Controls().ListView1->viewport()->setCursor(*pointer);
}

void DragPointer::Hide()
{
    if (!form_.IsBusy())
        form_.Controls().ListView1->viewport()->unsetCursor();
}
