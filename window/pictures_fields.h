#pragma once

#include "convert/picture/picture_shape.h"
#include "convert/run/image_names.h"

#include <QString>

#include <variant>

// The frame "Pictures": the size to fit within ("Fit within" width and height, empty: any) and the
// check boxes of shape and naming.
namespace PicturesFields {

struct Pictures {
    PictureShape shape;
    ImageNaming naming;
};

struct Texts {
    QString fitWidth;
    QString fitHeight;
    bool squarePixels = false;
    bool deinterlace = false;
    bool folderPerVideo = false;
    bool equalLengthNumbers = false;
    bool keepExisting = false;
};

// What the frame asks for, or the message that names the field that is wrong.
std::variant<Pictures, QString> Read(const Texts& texts);

}  // namespace PicturesFields
