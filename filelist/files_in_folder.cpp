#include "filelist/files_in_folder.h"

#include "common/path_helpers.h"
#include "filelist/accessible_file.h"
#include "filelist/folder_listing.h"
#include "filelist/wildcard_match.h"

QStringList GetFilesInFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    for (const QString& name : ListFolderEntries(folder, EntryKind::Files).names) {
        if (MatchesWildcard(name, pattern) && IsAccessibleFile(JoinPath(folder, name)))
            names.append(name);
    }
    return names;
}
