#include "window/pictures_fields.h"

#include "convert/picture/picture_limits.h"

namespace PicturesFields {

std::variant<Pictures, QString> Read(const Texts& texts)
{
    Pictures pictures;
    for (const auto& [text, side, name] : {std::tuple{texts.fitWidth.trimmed(), &pictures.shape.fitWidth, "width"},
             std::tuple{texts.fitHeight.trimmed(), &pictures.shape.fitHeight, "height"}}) {
        if (text.isEmpty())
            continue;
        bool isNumber = false;
        *side = text.toInt(&isNumber);
        if (!isNumber || *side < 1 || *side > PictureLimits::kMaxDimension || text.startsWith(QLatin1Char('+'))) {
            return QStringLiteral("The %1 of \"Fit within\" needs a whole number of pixels from 1 to %2, or nothing.")
                .arg(QLatin1String(name)).arg(PictureLimits::kMaxDimension);
        }
    }
    pictures.shape.squarePixels = texts.squarePixels;
    pictures.shape.deinterlace = texts.deinterlace;
    pictures.naming.folderPerVideo = texts.folderPerVideo;
    if (texts.equalLengthNumbers)
        pictures.naming.padWidth = 0;
    pictures.naming.keepExisting = texts.keepExisting;
    return pictures;
}

}  // namespace PicturesFields
