#pragma once

#include "convert/picture/decoded_picture.h"
#include "convert/writers/output_format.h"

#include <QString>

#include <memory>

// Makes one frame's file from the decoder's picture, as the run does on its encoder threads: JPG
// straight from the picture's planes where they are in JPEG's colours, everything else through the
// 24-bit bitmap. False when the picture cannot be converted (the run skips it). With `preview`, that
// receives a copy of the bitmap the file was made from, or, for a JPEG made from planes, the picture
// converted once for it: a preview never costs a second tone mapping. Throws Failure when the file
// cannot be encoded or written (FolderFailure when the output folder is at fault), std::bad_alloc
// when memory runs out.
bool WriteFrame(const DecodedPicture& picture, OutputFormat format, int quality, const QString& path,
    std::shared_ptr<const PackedDib>* preview = nullptr);
