#include "convert/run/image_names.h"

#include "common/atomic_file.h"
#include "common/path_helpers.h"

#include <QDir>
#include <QFileInfo>

ImageNames::ImageNames(const QString& outputFolder, const QString& stem, ImageNaming naming)
    : folder_(naming.folderPerVideo ? JoinPath(outputFolder, stem) : outputFolder), stem_(stem), naming_(naming),
      width_(naming.padWidth.value_or(0)), folderMade_(!naming.folderPerVideo)
{
}

void ImageNames::SetLastPosition(std::int64_t position)
{
    if (naming_.padWidth == 0)
        width_ = static_cast<int>(QString::number(static_cast<qlonglong>(std::max<std::int64_t>(position, 0))).size());
}

QString ImageNames::PathOf(std::int64_t position, OutputFormat format) const
{
    return JoinPath(folder_, stem_) + QLatin1Char('_')
        + QStringLiteral("%1").arg(static_cast<qlonglong>(position), width_, 10, QLatin1Char('0')) + QLatin1Char('.')
        + ExtensionOf(format);
}

bool ImageNames::MakeFolder(QString& reason)
{
    if (folderMade_)
        return true;
    const QFileInfo folder(folder_);
    if (folder.exists() && !folder.isDir()) {
        reason = QStringLiteral("its folder %1 cannot be made: a file of that name is there").arg(QDir::toNativeSeparators(folder_));
        return false;
    }
    if (!folder.exists() && !QDir().mkdir(folder_)) {
        reason = QStringLiteral("its folder %1 cannot be made").arg(QDir::toNativeSeparators(folder_));
        return false;
    }
    folderMade_ = true;
    return true;
}

void ImageNames::RemoveAbandonedImages() const
{
    RemoveAbandonedTemporaryFiles(folder_, stem_ + QLatin1Char('_'));
}
