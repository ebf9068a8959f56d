#include "filelist/folder_identity.h"

#include "common/path_helpers.h"

#ifdef _WIN32
#include <filesystem>
#include <system_error>
#else
#include <QFile>

#include <sys/stat.h>
#endif

#ifdef _WIN32

std::optional<QByteArray> FolderIdentity(const QString& folder)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(NativePath(folder), error);
    if (error)
        return std::nullopt;
    return QString::fromStdWString(target.wstring()).toCaseFolded().toUtf8();
}

#else

std::optional<QByteArray> FolderIdentity(const QString& folder)
{
    struct stat status {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return std::nullopt;
    return QByteArray::number(static_cast<qulonglong>(status.st_dev)) + ':'
        + QByteArray::number(static_cast<qulonglong>(status.st_ino));
}

#endif
