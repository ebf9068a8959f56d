#include "listedit/list_removal.h"

#include "common/error_report.h"
#include "window/busy_state.h"
#include "window/file_list_widget.h"
#include "window/window_dialogs.h"

ListRemoval::ListRemoval(FileListWidget& list, const BusyState& busy, const WindowDialogs& dialogs)
    : list_(list), busy_(busy), dialogs_(dialogs)
{
    connect(&list, &FileListWidget::RemovalAsked, this, &ListRemoval::RemoveSelectedEntry);
}

void ListRemoval::RemoveSelectedEntry()
{
    if (busy_.IsBusy())
        return;
    list_.RemoveSelectedEntry();
}

void ListRemoval::PushButton3_Click()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kClearList);
    if (trap.Test(100, [&] { return busy_.IsBusy(); }))
        return;
    trap.Run(100, [&] { list_.Clear(); });
}
