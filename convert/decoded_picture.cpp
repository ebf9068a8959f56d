#include "convert/decoded_picture.h"

#include "convert/picture_converter.h"

#include <optional>

PackedDib DecodedPicture::ToPackedDib() const
{
    // One converter per thread, kept while the frame size stays the same.
    thread_local std::optional<PictureConverter> converter;
    if (!converter || converter->Width() != width_ || converter->Height() != height_)
        converter.emplace(width_, height_);
    return converter->Convert(*picture_);
}
