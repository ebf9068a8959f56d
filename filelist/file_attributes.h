#pragma once

#include <QString>

#include <optional>

// The attribute bits the folder scan decides by. Windows reports its own; elsewhere they are
// derived from the file's status: read-only when the owner may not write it (as Samba maps it),
// hidden when the name starts with ".", directory, archive on every regular file, never system.
namespace FileAttribute {
inline constexpr int kReadOnly = 1;
inline constexpr int kHidden = 2;
inline constexpr int kSystem = 4;
inline constexpr int kDirectory = 16;
inline constexpr int kArchive = 32;
inline constexpr int kReparsePoint = 1024;
} // namespace FileAttribute

// The attribute value of a file or folder (symbolic links followed); empty when it cannot be read.
std::optional<int> FileAttributes(const QString& path);

// A file whose attributes are exactly hidden and archive is left out of the scan.
bool IsHiddenArchiveFile(int attributes);

// Hidden system folders (with or without a reparse point) are neither entered nor collected,
// unless they are a drive's root.
bool IsSkippedFolder(int attributes);
