#include "window/file_list_widget.h"

#include "filelist/file_list_model.h"
#include "window/dropped_paths.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

FileListWidget::FileListWidget(QWidget* parent) : QTreeView(parent), entries_(new FileListModel(this))
{
    setModel(entries_);
    header()->setStretchLastSection(false);  // the column keeps the width start-up gives it
    header()->setSectionsClickable(false);   // the header only names the column
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideNone);  // long paths are cut at the column's edge
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void FileListWidget::Append(const QString& path)
{
    entries_->Append({path});
}

void FileListWidget::AppendAll(const QStringList& paths)
{
    entries_->Append(paths);
}

int FileListWidget::Count() const
{
    return entries_->Count();
}

QString FileListWidget::Text(int index) const
{
    return entries_->Text(index).value_or(QString());
}

QStringList FileListWidget::Texts() const
{
    return entries_->Texts();
}

void FileListWidget::SetHeaderText(const QString& text)
{
    entries_->SetHeaderText(text);
}

void FileListWidget::RemoveSelectedEntry()
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (!selected.isEmpty())
        entries_->Remove(selected.front().row());
}

void FileListWidget::Clear()
{
    entries_->Clear();
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void FileListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedLocalPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListWidget::dropEvent(QDropEvent* event)
{
    const QStringList paths = DroppedLocalPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit FilesDropped(paths);
}

void FileListWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        emit RemovalAsked();
    else
        QTreeView::keyPressEvent(event);
}

void FileListWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click has selected the entry under the pointer.
    emit RemovalAsked();
    QTreeView::mouseDoubleClickEvent(event);
}

void FileListWidget::mousePressEvent(QMouseEvent* event)
{
    // The view hands some double-clicks on as presses; those take nothing up.
    if (event->type() == QEvent::MouseButtonPress) {
        buttonDown_ = true;
        const QModelIndex pressed = indexAt(event->position().toPoint());
        if (pressed.isValid()) {
            carried_ = pressed;
            emit CarryStarted();
        }
    }
    QTreeView::mousePressEvent(event);
}

void FileListWidget::mouseMoveEvent(QMouseEvent* event)
{
    // While a button is held the carry alone moves the selection: the view's own drag-selection would
    // pick entries the carry did not.
    if (buttonDown_)
        Carry(event->position().toPoint());
    else
        QTreeView::mouseMoveEvent(event);
}

void FileListWidget::mouseReleaseEvent(QMouseEvent* event)
{
    buttonDown_ = false;
    emit CarryEnded();
    QTreeView::mouseReleaseEvent(event);
}

void FileListWidget::Carry(QPoint position)
{
    const QModelIndex hover = indexAt(position);
    if (!hover.isValid() || !carried_.isValid())
        return;
    if (hover.data().toString() == carried_.data().toString())
        return;
    entries_->Swap(carried_.row(), hover.row());
    setCurrentIndex(hover);
    carried_ = hover;
    ScrollNearEdge(hover.row(), position.y());
}

// The edges are as tall as one entry, so the entry scrolled in is the next one the pointer meets.
void FileListWidget::ScrollNearEdge(int hoverRow, int pointerY)
{
    const int edge = visualRect(entries_->index(hoverRow)).height();
    if (pointerY < edge) {
        if (hoverRow >= 1)
            scrollTo(entries_->index(hoverRow - 1));
    } else if (pointerY >= viewport()->height() - edge) {
        if (hoverRow + 1 < Count())
            scrollTo(entries_->index(hoverRow + 1));
    }
}
