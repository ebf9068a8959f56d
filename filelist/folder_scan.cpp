#include "filelist/folder_scan.h"

#include "common/path_helpers.h"
#include "filelist/entry_batcher.h"
#include "filelist/file_attributes.h"
#include "filelist/files_in_folder.h"
#include "filelist/list_text.h"
#include "filelist/sub_directories.h"

namespace {

bool IsListedFile(const QString& name, const QString& path)
{
    if (name.startsWith(QLatin1Char('~')))
        return false;
    const std::optional<int> attributes = FileAttributes(path);
    return attributes && !IsHiddenArchiveFile(*attributes);
}

ScanEnd AddTreeEntries(const QString& folder, const QString& pattern, EntryBatcher& batcher,
                       const StopCheck& stopRequested)
{
    QStringList folders{JoinPath(folder, QString())};
    if (GetSubDirectories2016(folders, stopRequested) == ScanEnd::Stopped)
        return ScanEnd::Stopped;
    for (const QString& collected : folders) {
        if (StopNow(stopRequested))
            return ScanEnd::Stopped;
        // GetFilesInFolder has already kept only accessible files.
        for (const QString& name : GetFilesInFolder(collected, pattern)) {
            const QString path = collected + name;
            if (IsListedFile(name, path))
                batcher.Add(NormalizePath(path));
        }
        batcher.FlushIfDue();
    }
    return ScanEnd::Finished;
}

ScanEnd AddDroppedEntries(const QStringList& paths, EntryBatcher& batcher, const StopCheck& stopRequested)
{
    for (const QString& path : paths) {
        if (StopNow(stopRequested))
            return ScanEnd::Stopped;
        if (!IsFolder(path))
            batcher.Add(path);
        else if (AddTreeEntries(path, QStringLiteral("*.*"), batcher, stopRequested) == ScanEnd::Stopped)
            return ScanEnd::Stopped;
    }
    return ScanEnd::Finished;
}

} // namespace

ScanEnd ScanFolderTree(const QString& folder, const QString& extension, const ScanCallbacks& callbacks)
{
    EntryBatcher batcher(callbacks.receiveBatch, callbacks.batchSize, callbacks.batchInterval);
    const ScanEnd end = AddTreeEntries(folder, QStringLiteral("*.") + extension, batcher, callbacks.stopRequested);
    batcher.Flush();
    return end;
}

ScanEnd ScanDroppedPaths(const QStringList& paths, const ScanCallbacks& callbacks)
{
    EntryBatcher batcher(callbacks.receiveBatch, callbacks.batchSize, callbacks.batchInterval);
    const ScanEnd end = AddDroppedEntries(paths, batcher, callbacks.stopRequested);
    batcher.Flush();
    return end;
}
