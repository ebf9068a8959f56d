#include "listedit/list_filling.h"

#include "common/error_report.h"
#include "filelist/folder_scan.h"
#include "listedit/scan_queue.h"
#include "window/browse_for_folder.h"
#include "window/file_list_widget.h"
#include "window/form1.h"
#include "window/message_boxes.h"

#include <QEvent>

using Key = SettingsStore::Key;

ListFilling::ListFilling(Form1& form)
    : QObject(&form),
      form_(form),
      scans_(new ScanQueue([this](const QStringList& batch) {
          form_.Controls().ListView1->AppendAll(batch);
      }, [this](bool scanning) { form_.Busy().SetScanning(scanning); }, this))
{
    connect(form.Controls().ListView1, &FileListWidget::FilesDropped, this, &ListFilling::AddDropped);
    form.installEventFilter(this);  // closing the window stops the scan
    connect(form.Controls().PushButton4, &QPushButton::clicked, this, &ListFilling::PushButton4_Click);
}

void ListFilling::PushButton4_Click()
{
    ErrorTrap trap = form_.MakeTrap(ErrorReport::kAddFolder);
    SettingsStore& store = form_.Store();
    QString extension;
    trap.Run(100, [&] {
        extension = AskTextBox(&form_, form_.ApplicationTitle(), QString::fromLatin1(kExtensionPrompt), store.Read(Key::Extension))
                        .value_or(QString());
    });
    if (!trap.Test(102, [&] { return !extension.isEmpty(); }))
        return;
    trap.Run(104, [&] { store.Write(Key::Extension, extension); });
    QString folder;
    trap.Run(106, [&] { folder = BrowseForFolder(&form_, QString::fromLatin1(kFolderPrompt), store.Read(Key::LastFolder)); });
    if (!trap.Test(108, [&] { return !folder.isEmpty(); }))
        return;
    trap.Run(110, [&] { store.Write(Key::LastFolder, folder); });
    trap.Run(112, [&] {
        scans_->Enqueue([folder, extension](const ScanCallbacks& callbacks) { return ScanFolderTree(folder, extension, callbacks); });
    });
}

void ListFilling::AddDropped(const QStringList& paths)
{
    scans_->Enqueue([paths](const ScanCallbacks& callbacks) { return ScanDroppedPaths(paths, callbacks); });
}

bool ListFilling::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Close)
        scans_->StopAll();
    return false;
}
