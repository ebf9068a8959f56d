#include "common/path_helpers.h"

#include "common/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void DeleteFileForced(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.remove() || !file.exists())
        return;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    file.remove();
}

QString FileNameOfPath(const QString& path, QChar separator)
{
    return path.mid(path.lastIndexOf(separator) + 1);
}

QString StemOfPath(const QString& path, QChar separator)
{
    const QString name = FileNameOfPath(path, separator);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString JoinPath(const QString& folder, const QString& name, QChar separator)
{
    if (folder.endsWith(separator))
        return folder + name;
    return folder + separator + name;
}

QString SpecialFolderPath()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        throw Failure(Failure::kInvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    return JoinPath(QDir::toNativeSeparators(desktop), QString());
}

std::filesystem::path NativePath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}
