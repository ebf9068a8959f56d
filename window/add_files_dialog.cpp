#include "window/add_files_dialog.h"

#include "common/path_helpers.h"
#include "filelist/list_text.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList ChooseFilesToAdd(QWidget* parent)
{
    const QStringList chosen = QFileDialog::getOpenFileNames(parent,
        QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"), QString(), QStringLiteral("AVI Files (*.avi)"));
    if (chosen.size() == 1)
        return {QDir::toNativeSeparators(chosen.front())};

    QStringList entries;
    for (const QString& path : chosen) {
        const QFileInfo file(path);
        entries << NormalizePath(QDir::toNativeSeparators(file.path()) + NativeSeparator() + file.fileName());
    }
    return entries;
}
