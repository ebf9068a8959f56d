#pragma once

#include <QString>
#include <QStringList>

// The names of the accessible files of one folder that match the pattern ("*.avi", "*.*"), hidden
// ones included, in listing order. Subfolders are not listed; a folder that cannot be read gives
// no names.
QStringList GetFilesInFolder(const QString& folder, const QString& pattern);
