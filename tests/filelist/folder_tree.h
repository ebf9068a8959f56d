#pragma once

#include "filelist/folder_scan.h"

#include <QString>
#include <QStringList>

// Builds real folder trees for the scan tests. Relative paths use "/" and may name nested folders,
// which are created as needed. Every function returns the native full path it made.
QString MakeFolder(const QString& root, const QString& relative);
QString MakeFile(const QString& root, const QString& relative);
QString MakeLink(const QString& root, const QString& relative, const QString& target);

// The native full path of a relative path under root, built independently of the scan.
QString Under(const QString& root, const QString& relative);

// Runs a scan to its end and returns every entry it handed over, in order.
QStringList ScanTreeEntries(const QString& folder, const QString& extension);
QStringList ScanDropEntries(const QStringList& paths);
