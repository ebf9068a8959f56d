#pragma once

#include <QDir>
#include <QString>

#include <filesystem>

// Small file and path helpers. Paths use the platform's native separator.

inline QChar NativeSeparator() { return QDir::separator(); }

// True when the path names something that exists; any failure answers false.
bool FileExists(const QString& path);

// True when the path is an existing folder; any failure answers false.
bool IsFolder(const QString& path);

// Deletes a file even when it is read-only. Never fails: a missing file is a silent no-op.
void DeleteFileForced(const QString& path);

// Everything after the last separator: "C:\a\b.avi" gives "b.avi", "C:\a\" gives "".
QString FileNameOfPath(const QString& path, QChar separator = NativeSeparator());

// The file name without its last extension: "clip.part1.avi" gives "clip.part1".
QString StemOfPath(const QString& path, QChar separator = NativeSeparator());

// folder + separator + name, without doubling a separator the folder already ends with.
QString JoinPath(const QString& folder, const QString& name, QChar separator = NativeSeparator());

// The user's desktop folder with one trailing separator. Throws Failure when there is none.
QString SpecialFolderPath();

// The path as the operating system spells it, for std::filesystem and C libraries.
std::filesystem::path NativePath(const QString& path);
