#pragma once

#include "common/path_helpers.h"

#include <QString>
#include <QStringList>

// Tidies a path joined from a folder and a name: every pair of separators becomes one, in a single
// left-to-right pass (so three become two). With the backslash, a path that starts with a separator
// is a network path: its leading run becomes exactly two backslashes and the server part is kept
// apart. With "/" a leading separator is the file system's root, so no such rule applies.
QString NormalizePath(const QString& path, QChar separator = NativeSeparator());

// True when some entry's text equals the text exactly (case matters).
bool IsInList(const QStringList& entries, const QString& text);
