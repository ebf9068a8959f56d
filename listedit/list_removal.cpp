#include "listedit/list_removal.h"

#include "common/error_report.h"
#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QKeyEvent>

ListRemoval::ListRemoval(Form1& form) : QObject(&form), form_(form)
{
    FileListWidget* list = form.Controls().ListView1;
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    connect(form.Controls().PushButton3, &QPushButton::clicked, this, &ListRemoval::PushButton3_Click);
}

void ListRemoval::RemoveSelectedEntry()
{
    if (form_.IsBusy())
        return;
    FileListWidget* list = form_.Controls().ListView1;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    list->RemoveEntry(selected.front().row());
}

void ListRemoval::PushButton3_Click()
{
    ErrorTrap trap = form_.MakeTrap(ErrorReport::kClearList);
    if (trap.Test(100, [&] { return form_.IsBusy(); }))
        return;
    trap.Run(100, [&] { form_.Controls().ListView1->Clear(); });
}

bool ListRemoval::eventFilter(QObject* watched, QEvent* event)
{
    FileListWidget* list = form_.Controls().ListView1;
    if (watched == list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveSelectedEntry();
        return true;
    }
    if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick)
        RemoveSelectedEntry();
    return false;
}
