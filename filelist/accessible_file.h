#pragma once

#include <QString>

// True when the path names an existing regular file (after following links). Like opening a file
// for no access at all, it does not need read permission; folders, devices, pipes, sockets and
// dangling links answer false. Never throws.
bool IsAccessibleFile(const QString& path);
