#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A key that is the same for every path reaching one folder, through links or mounts alike, so a
// scan can tell a folder it has already listed. Empty when the folder cannot be examined.
std::optional<QByteArray> FolderIdentity(const QString& folder);
