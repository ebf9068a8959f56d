#include "convert/run/run_ending.h"

QString RunEnding::Message(int framesWritten) const
{
    QString text = folderFailed_ ? QStringLiteral("The run did not finish: images cannot be saved in the output folder.")
        : stopAsked_             ? QStringLiteral("Stopped.")
        : framesWritten >= 1 || (imagesKept_ > 0 && filesNotConverted_ == 0) ? QStringLiteral("Done.")
        // Nothing chosen is nothing failed.
        : filesWithoutChosenFrames_ > 0 && filesNotConverted_ == 0 ? QStringLiteral("No frame is among those chosen.")
                                                                   : QStringLiteral("Failed to convert to JPG.");
    if (fileMessagesHidden_) {
        text += QStringLiteral("\r\n")
            + (filesNotConverted_ == 1 ? QStringLiteral("1 file could not be converted.")
                                       : QStringLiteral("%1 files could not be converted.").arg(filesNotConverted_));
    }
    if (imagesKept_ > 0)
        text += QStringLiteral("\r\n%1 written, %2 kept.").arg(framesWritten).arg(imagesKept_);
    if (filesWithoutChosenFrames_ > 0 && (framesWritten >= 1 || imagesKept_ > 0)) {
        text += QStringLiteral("\r\n")
            + (filesWithoutChosenFrames_ == 1 ? QStringLiteral("1 video has no frame among those chosen.")
                                              : QStringLiteral("%1 videos have no frame among those chosen.").arg(filesWithoutChosenFrames_));
    }
    return text;
}
