#include "filelist/sub_directories.h"

#include "common/path_helpers.h"
#include "filelist/file_attributes.h"
#include "filelist/folder_identity.h"
#include "filelist/folder_listing.h"
#include "filelist/folder_name_rules.h"

#include <QByteArray>
#include <QDir>
#include <QSet>

#include <optional>
#include <utility>

namespace {

enum class Examination { Listed, NotListed, AlreadyListed, Unreadable };

bool IsEnteredFolder(const QString& folder)
{
    const std::optional<int> attributes = FileAttributes(folder);
    return !attributes || !IsSkippedFolder(*attributes) || QDir(folder).isRoot();
}

// Lists one folder's subfolders into the candidates of the next level down.
Examination ExamineFolder(const QString& folder, QSet<QByteArray>& listedFolders, QStringList& candidates)
{
    if (!IsFolder(folder))
        return Examination::NotListed;
    const std::optional<QByteArray> identity = FolderIdentity(folder);
    if (!identity)
        return Examination::NotListed;
    if (listedFolders.contains(*identity))
        return Examination::AlreadyListed;
    listedFolders.insert(*identity);
    if (!IsEnteredFolder(folder))
        return Examination::NotListed;

    const FolderListing listing = ListFolderEntries(folder, EntryKind::Subfolders);
    if (listing.unreadable)
        return Examination::Unreadable;
    for (const QString& name : listing.names) {
        if (IsAcceptableSubfolderName(name))
            candidates.append(JoinPath(folder, name) + NativeSeparator());
    }
    return Examination::Listed;
}

} // namespace

// Level by level: every folder of a level is listed (phase 1), and the ones that could be listed
// are collected (phase 2) before the next level, made of their subfolders, is examined.
ScanEnd GetSubDirectories2016(QStringList& folders, const StopCheck& stopRequested)
{
    QSet<QByteArray> listedFolders;
    QStringList collection;
    QStringList level = folders;
    bool startingLevel = true;
    while (!level.isEmpty()) {
        QStringList nextLevel;
        for (const QString& folder : level) {
            if (StopNow(stopRequested))
                return ScanEnd::Stopped;
            const Examination examination = ExamineFolder(folder, listedFolders, nextLevel);
            if (examination == Examination::Listed || (startingLevel && examination == Examination::NotListed))
                collection.append(folder);
        }
        level = std::move(nextLevel);
        startingLevel = false;
    }
    folders = std::move(collection);
    return ScanEnd::Finished;
}
