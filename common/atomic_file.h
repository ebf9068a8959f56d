#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <span>

using ByteSpan = std::span<const std::uint8_t>;

// Writes a file whole or not at all: the bytes go to a temporary name in the same folder, which is then
// renamed over the final name, so no truncated file ever appears under that name and an existing
// file is replaced only by a complete one. Throws Failure with the path and the system's cause;
// FolderFailure when the cause lies with the folder (full disk, read-only, not writable, gone).
void PublishFile(const QString& path, std::initializer_list<ByteSpan> parts);

// Removes the temporary files in `folder` of final names that begin with `prefix` which a process that
// has ended left behind (killed before it could publish them or clean them away). Answers how many.
int RemoveAbandonedTemporaryFiles(const QString& folder, const QString& prefix);
