#include "window/browse_for_folder.h"

#include <QDir>
#include <QFileDialog>

QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
{
    const QString picked = QFileDialog::getExistingDirectory(owner, prompt, startFolder, QFileDialog::ShowDirsOnly);
    if (picked.isEmpty())
        return QString();
    // cleanPath drops a trailing separator except the one a root needs.
    return QDir::toNativeSeparators(QDir::cleanPath(picked));
}
