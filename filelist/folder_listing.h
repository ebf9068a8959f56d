#pragma once

#include <QString>
#include <QStringList>

// One folder's entries of one kind, in listing order. The platform's own order is unspecified on
// most file systems, so names are sorted as a Windows listing shows them: letters compared
// without regard to case, exact comparison breaking ties, which keeps the order the same on
// every machine and locale.
struct FolderListing {
    QStringList names;
    // The folder could not be opened at all: it is missing, not a folder, or access is denied.
    bool unreadable = false;
};

enum class EntryKind { Subfolders, Files };

// Subfolders are the entries that are folders after following links; files are all others.
// A failure part-way through keeps the names read so far.
FolderListing ListFolderEntries(const QString& folder, EntryKind kind);
