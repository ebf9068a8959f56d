#include "window/add_files_dialog.h"

#include "common/path_helpers.h"
#include "filelist/list_text.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

const QString kAviFiles = QStringLiteral("AVI Files (*.avi)");
// Every kind of video the program reads, by the names such files usually have.
const QString kVideoFiles = QStringLiteral(
    "Video Files (*.avi *.mp4 *.m4v *.mov *.3gp *.3g2 *.mkv *.webm *.ts *.m2ts *.mts *.mpg *.mpeg *.vob *.wmv *.asf "
    "*.flv *.ogv *.mxf *.dv)");
const QString kAllFiles = QStringLiteral("All Files (*)");

}  // namespace

QStringList ChooseFilesToAdd(QWidget* parent)
{
    // The video filter comes up first: most videos today are not AVI.
    QString chosenFilter = kVideoFiles;
    const QStringList chosen = QFileDialog::getOpenFileNames(parent,
        QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"), QString(),
        QStringList{kAviFiles, kVideoFiles, kAllFiles}.join(QStringLiteral(";;")), &chosenFilter);
    if (chosen.size() == 1)
        return {QDir::toNativeSeparators(chosen.front())};

    QStringList entries;
    for (const QString& path : chosen) {
        const QFileInfo file(path);
        entries << NormalizePath(QDir::toNativeSeparators(file.path()) + NativeSeparator() + file.fileName());
    }
    return entries;
}
