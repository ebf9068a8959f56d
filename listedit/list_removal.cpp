#include "listedit/list_removal.h"

#include "common/error_report.h"
#include "window/file_list_widget.h"
#include "window/form1.h"

ListRemoval::ListRemoval(Form1& form) : QObject(&form), form_(form)
{
    connect(form.Controls().ListView1, &FileListWidget::RemovalAsked, this, &ListRemoval::RemoveSelectedEntry);
    connect(form.Controls().PushButton3, &QPushButton::clicked, this, &ListRemoval::PushButton3_Click);
}

void ListRemoval::RemoveSelectedEntry()
{
    if (form_.IsBusy())
        return;
    form_.Controls().ListView1->RemoveSelectedEntry();
}

void ListRemoval::PushButton3_Click()
{
    ErrorTrap trap = form_.MakeTrap(ErrorReport::kClearList);
    if (trap.Test(100, [&] { return form_.IsBusy(); }))
        return;
    trap.Run(100, [&] { form_.Controls().ListView1->Clear(); });
}
