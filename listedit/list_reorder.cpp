#include "listedit/list_reorder.h"

#include "listedit/drag_pointer.h"
#include "listedit/hover_feedback.h"
#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QMouseEvent>

#include <utility>

ListReorder::ListReorder(Form1& form, QString programFolder)
    : QObject(&form), form_(form), programFolder_(std::move(programFolder))
{
    QWidget* listArea = form.Controls().ListView1->viewport();
    listArea->setMouseTracking(true);  // moves without a button pressed carry the hover rule
    listArea->installEventFilter(this);
}

bool ListReorder::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Press(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    case QEvent::MouseMove:
        ShowHoverPointer(form_, false);
        if (!listMouseDown_)
            return false;
        Carry(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;  // the list's own drag-selection would pick entries the carry did not
    case QEvent::MouseButtonRelease:
        Release();
        return false;
    default:
        return false;
    }
}

void ListReorder::Press(QPoint position)
{
    listMouseDown_ = true;
    FileListWidget* list = form_.Controls().ListView1;
    const QModelIndex pressed = list->indexAt(position);
    if (!pressed.isValid())
        return;
    if (!form_.IsBusy()) {
        if (const std::optional<QCursor> pointer = LoadDragPointer(programFolder_))
            list->viewport()->setCursor(*pointer);
    }
    draggedEntry_ = pressed;
}

void ListReorder::Carry(QPoint position)
{
    FileListWidget* list = form_.Controls().ListView1;
    const QModelIndex hover = list->indexAt(position);
    if (!hover.isValid() || !draggedEntry_.isValid())
        return;
    if (hover.data().toString() == draggedEntry_.data().toString())
        return;
    list->SwapEntries(draggedEntry_.row(), hover.row());
    list->setCurrentIndex(hover);
    draggedEntry_ = hover;
    ScrollNearEdge(hover.row(), position.y());
}

// The edges are as tall as one entry, so the entry scrolled in is the next one the pointer meets.
void ListReorder::ScrollNearEdge(int hoverRow, int pointerY)
{
    FileListWidget* list = form_.Controls().ListView1;
    const int edge = list->visualRect(list->model()->index(hoverRow, 0)).height();
    if (pointerY < edge) {
        if (hoverRow >= 1)
            list->scrollTo(list->model()->index(hoverRow - 1, 0));
    } else if (pointerY >= list->viewport()->height() - edge) {
        if (hoverRow + 1 < list->Count())
            list->scrollTo(list->model()->index(hoverRow + 1, 0));
    }
}

void ListReorder::Release()
{
    listMouseDown_ = false;
    if (!form_.IsBusy())
        form_.Controls().ListView1->viewport()->unsetCursor();
}
