#include "filelist/file_attributes.h"

#include "common/path_helpers.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#include <system_error>
#endif

using namespace FileAttribute;

#ifdef _WIN32

std::optional<int> FileAttributes(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return static_cast<int>(attributes);
}

#else

namespace {

bool HasHiddenName(QString path)
{
    while (path.size() > 1 && path.endsWith(NativeSeparator()))
        path.chop(1);
    return FileNameOfPath(path).startsWith(QLatin1Char('.'));
}

} // namespace

std::optional<int> FileAttributes(const QString& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(NativePath(path), error);
    if (error || !fs::exists(status))
        return std::nullopt;

    int attributes = 0;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        attributes |= kReadOnly;
    if (HasHiddenName(path))
        attributes |= kHidden;
    if (fs::is_directory(status))
        attributes |= kDirectory;
    if (fs::is_regular_file(status))
        attributes |= kArchive;
    return attributes;
}

#endif

bool IsHiddenArchiveFile(int attributes)
{
    return attributes == (kHidden | kArchive);
}

bool IsSkippedFolder(int attributes)
{
    constexpr int kHiddenSystemFolder = kHidden | kSystem | kDirectory;
    return attributes == kHiddenSystemFolder || attributes == (kHiddenSystemFolder | kReparsePoint);
}
