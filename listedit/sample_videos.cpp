#include "listedit/sample_videos.h"

#include "common/error_report.h"
#include "common/path_helpers.h"
#include "filelist/sample_snapshot.h"
#include "window/file_list_widget.h"
#include "window/form1.h"

#include <QMessageBox>

using Key = SettingsStore::Key;

namespace {

bool AskYesNo(QWidget* parent, const QString& title, const QString& question)
{
    QMessageBox box(QMessageBox::NoIcon, title, question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

QString SamplesFolder(const Form1& form)
{
    return JoinPath(form.ProgramFolder(), QStringLiteral("Samples"));
}

}  // namespace

void RecordSampleSnapshot(Form1& form)
{
    form.Store().Write(Key::Snapshot, SampleSnapshotValue(form.ProgramFolder()));
}

void LoadSampleVideos(Form1& form, const FolderOpener& openFolder)
{
    FileListWidget* list = form.Controls().ListView1;
    // Nothing recorded reads as the text of a false truth value, which names no file.
    const QString recorded = form.Store().Read(Key::Snapshot, QStringLiteral("False"));
    for (const QString& path : SampleVideosToLoad(recorded, list->Texts()))
        list->Append(path);
    if (AskYesNo(&form, form.ApplicationTitle(), QString::fromLatin1(kOpenSamplesQuestion)) && openFolder)
        openFolder(QUrl::fromLocalFile(JoinPath(SamplesFolder(form), QString())));
}

void PushButton5_Click(Form1& form, const FolderOpener& openFolder)
{
    ErrorTrap trap = form.MakeTrap(ErrorReport::kLoadSamples);
    trap.Run(100, [&] { LoadSampleVideos(form, openFolder); });
}
