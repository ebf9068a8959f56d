#include "listedit/sample_videos.h"

#include "common/error_report.h"
#include "common/path_helpers.h"
#include "filelist/sample_snapshot.h"
#include "settings/settings_store.h"
#include "window/file_list_widget.h"
#include "window/window_dialogs.h"

#include <utility>

using Key = SettingsStore::Key;

namespace {

QString SamplesFolder(const QString& programFolder)
{
    return JoinPath(programFolder, QStringLiteral("Samples"));
}

}  // namespace

void RecordSampleSnapshot(SettingsStore& store, const QString& programFolder)
{
    store.Write(Key::Snapshot, SampleSnapshotValue(programFolder));
}

SampleVideos::SampleVideos(FileListWidget& list, const SettingsStore& store, QString programFolder,
    const WindowDialogs& dialogs, FolderOpener openFolder)
    : list_(list), store_(store), programFolder_(std::move(programFolder)), dialogs_(dialogs), openFolder_(std::move(openFolder))
{
}

void SampleVideos::PushButton5_Click()
{
    ErrorTrap trap = dialogs_.MakeTrap(ErrorReport::kLoadSamples);
    trap.Run(100, [&] { LoadSampleVideos(); });
}

void SampleVideos::LoadSampleVideos()
{
    // Nothing recorded reads as the text of a false truth value, which names no file.
    const QString recorded = store_.Read(Key::Snapshot, QStringLiteral("False"));
    for (const QString& path : SampleVideosToLoad(recorded, list_.Texts()))
        list_.Append(path);
    if (dialogs_.AskYesNo(QString::fromLatin1(kOpenSamplesQuestion)) && openFolder_)
        openFolder_(QUrl::fromLocalFile(JoinPath(SamplesFolder(programFolder_), QString())));
}
