#include "filelist/sample_snapshot.h"

#include "common/path_helpers.h"
#include "filelist/files_in_folder.h"
#include "filelist/list_text.h"
#include "filelist/sample_store.h"

namespace {

constexpr QChar kSnapshotSeparator{u'|'};

} // namespace

QString SampleSnapshotValue(const QString& programFolder)
{
    const QString samplesFolder = JoinPath(programFolder, QStringLiteral("Samples"));
    QStringList paths;
    for (const QString& name : GetFilesInFolder(samplesFolder, QStringLiteral("*.*")))
        paths.append(JoinPath(samplesFolder, name));
    return ScrambleText(paths.join(kSnapshotSeparator), kSampleSnapshotKey);
}

QStringList SampleVideosToLoad(const QString& storedSnapshot, const QStringList& listedEntries)
{
    const QString snapshot = UnscrambleText(storedSnapshot, kSampleSnapshotKey);
    QStringList listed = listedEntries;
    QStringList toLoad;
    for (const QString& path : snapshot.split(kSnapshotSeparator, Qt::SkipEmptyParts)) {
        if (FileExists(path) && !IsInList(listed, path)) {
            listed.append(path);
            toLoad.append(path);
        }
    }
    return toLoad;
}
