#pragma once

#include "filelist/scan_control.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// How a scan hands over its entries. Scans are meant to run off the window's thread: the receiver
// (required) is called on the scanning thread with the entries in their final order, a batch at a
// time; the last batch comes before the scan returns, also when it was stopped.
struct ScanCallbacks {
    StopCheck stopRequested;
    std::function<void(QStringList batch)> receiveBatch;
    qsizetype batchSize = 500;
    std::chrono::milliseconds batchInterval{50};
};

// The list entries for every file under a folder (its whole tree) whose name has the extension
// ("avi"; "*" takes every file). Folders come in collection order, names in listing order. Names
// starting with "~" and files that are exactly hidden and archive are left out.
ScanEnd ScanFolderTree(const QString& folder, const QString& extension, const ScanCallbacks& callbacks);

// The list entries for paths dropped on the list, in the order dropped: a folder gives the entries
// of its whole tree with every file, anything else is taken unchanged.
ScanEnd ScanDroppedPaths(const QStringList& paths, const ScanCallbacks& callbacks);
