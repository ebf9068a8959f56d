#pragma once

#include <QStringList>

class QMimeData;

// The local files and folders a drag carries, in the order the source listed them, as native
// paths; empty when it carries none (plain text, remote addresses, nothing).
QStringList DroppedLocalPaths(const QMimeData* data);
