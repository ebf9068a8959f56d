#pragma once

#include "convert/writers/output_format.h"

#include <QString>

#include <cstdint>
#include <optional>

// How the images of the videos are filed.
struct ImageNaming {
    bool folderPerVideo = false;  // each video's images in a folder named by its stem
    // Positions zero-padded to this many digits; 0: to as many as the video's last position has.
    std::optional<int> padWidth;
    bool keepExisting = false;    // an image already there under its final name is left as it is

    static constexpr int kMostPadding = 9;
    bool operator==(const ImageNaming&) const = default;
};

// Where the images of one video go and what they are called: stem_POSITION.extension in the output
// folder, or in a folder of the video's own named by its stem (made with its first image).
class ImageNames {
public:
    // `stem` as the run claimed it for this video (a later video of the same stem has " (2)").
    ImageNames(const QString& outputFolder, const QString& stem, ImageNaming naming);

    // Padding to the digits of the video's last position, for naming that asks for it.
    void SetLastPosition(std::int64_t position);
    QString PathOf(std::int64_t position, OutputFormat format) const;

    // Makes the video's own folder unless it is there already; false with `reason` when it cannot be made.
    bool MakeFolder(QString& reason);
    // Removes the temporary files a killed run left of this video's images.
    void RemoveAbandonedImages() const;

private:
    QString folder_;
    QString stem_;
    ImageNaming naming_;
    int width_ = 0;
    bool folderMade_ = false;
};
