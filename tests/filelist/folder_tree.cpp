#include "folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

QString Under(const QString& root, const QString& relative)
{
    return QDir::toNativeSeparators(root + QLatin1Char('/') + relative);
}

QString MakeFolder(const QString& root, const QString& relative)
{
    const QString path = Under(root, relative);
    EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
    return path;
}

QString MakeFile(const QString& root, const QString& relative)
{
    const QString path = Under(root, relative);
    EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path())) << path.toStdString();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("RIFF");
    return path;
}

QString MakeLink(const QString& root, const QString& relative, const QString& target)
{
    const QString path = Under(root, relative);
    EXPECT_TRUE(QFile::link(target, path)) << path.toStdString();
    return path;
}

namespace {

QStringList Collect(const std::function<ScanEnd(const ScanCallbacks&)>& scan)
{
    QStringList entries;
    ScanCallbacks callbacks;
    callbacks.receiveBatch = [&entries](QStringList batch) { entries.append(batch); };
    EXPECT_EQ(scan(callbacks), ScanEnd::Finished);
    return entries;
}

} // namespace

QStringList ScanTreeEntries(const QString& folder, const QString& extension)
{
    return Collect([&](const ScanCallbacks& callbacks) { return ScanFolderTree(folder, extension, callbacks); });
}

QStringList ScanDropEntries(const QStringList& paths)
{
    return Collect([&](const ScanCallbacks& callbacks) { return ScanDroppedPaths(paths, callbacks); });
}
