#include "listedit/list_filling.h"

#include "common/error_report.h"
#include "filelist/folder_scan.h"
#include "listedit/scan_queue.h"
#include "settings/settings_store.h"
#include "window/busy_state.h"
#include "window/file_list_widget.h"
#include "window/window_dialogs.h"

using Key = SettingsStore::Key;

ListFilling::ListFilling(FileListWidget& list, BusyState& busy, SettingsStore& store, const WindowDialogs& dialogs)
    : store_(store),
      dialogs_(dialogs),
      scans_(new ScanQueue([&list](const QStringList& batch) { list.AppendAll(batch); },
          [&busy](bool scanning) { busy.SetScanning(scanning); },
          [&dialogs](std::exception_ptr failure) {
              // The scan as one trapped statement: whatever it threw, reported with its own location.
              dialogs.MakeTrap(ErrorReport::kFolderScan).Run(100, [&] { std::rethrow_exception(failure); });
          },
          this))
{
    connect(&list, &FileListWidget::FilesDropped, this, &ListFilling::AddDropped);
}

void ListFilling::PushButton4_Click()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kAddFolder);
    QString extension;
    trap.Run(100, [&] {
        extension = dialogs_.AskText(QString::fromLatin1(kExtensionPrompt), store_.Read(Key::Extension)).value_or(QString());
    });
    if (!trap.Test(102, [&] { return !extension.isEmpty(); }))
        return;
    trap.Run(104, [&] { store_.Write(Key::Extension, extension); });
    QString folder;
    trap.Run(106, [&] { folder = dialogs_.PickFolder(QString::fromLatin1(kFolderPrompt), store_.Read(Key::LastFolder)); });
    if (!trap.Test(108, [&] { return !folder.isEmpty(); }))
        return;
    trap.Run(110, [&] { store_.Write(Key::LastFolder, folder); });
    trap.Run(112, [&] {
        scans_->Enqueue([folder, extension](const ScanCallbacks& callbacks) { return ScanFolderTree(folder, extension, callbacks); });
    });
}

void ListFilling::AddDropped(const QStringList& paths)
{
    scans_->Enqueue([paths](const ScanCallbacks& callbacks) { return ScanDroppedPaths(paths, callbacks); });
}

void ListFilling::StopScans()
{
    scans_->StopAll();
}
