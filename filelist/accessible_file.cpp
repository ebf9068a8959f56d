#include "filelist/accessible_file.h"

#include "common/path_helpers.h"

#include <filesystem>
#include <system_error>

bool IsAccessibleFile(const QString& path)
{
    std::error_code error;
    return !path.isEmpty() && std::filesystem::is_regular_file(NativePath(path), error);
}
