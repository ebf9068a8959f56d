#include "convert/run/run_ending.h"

QString RunEnding::Message(int framesWritten) const
{
    QString text = folderFailed_ ? QStringLiteral("The run did not finish: images cannot be saved in the output folder.")
        : stopAsked_             ? QStringLiteral("Stopped.")
        : framesWritten >= 1     ? QStringLiteral("Done.")
                                 : QStringLiteral("Failed to convert to JPG.");
    if (fileMessagesHidden_) {
        text += QStringLiteral("\r\n")
            + (filesNotConverted_ == 1 ? QStringLiteral("1 file could not be converted.")
                                       : QStringLiteral("%1 files could not be converted.").arg(filesNotConverted_));
    }
    return text;
}
