#pragma once

#include "convert/picture/packed_dib.h"

#include <QString>

#include <cstdint>
#include <memory>

// Holds the current frame of one video as its own packed bitmap and writes it as a BMP file:
// a 14-byte file header ("BM", file size, 0, 0, offset 54), the 40-byte info header, the pixel rows.
class FDIBPointer {
public:
    // Copies the packed bitmap at pDIB. Refuses (false, keeping the earlier frame) an empty address,
    // fewer than 16 bits per pixel, or an image size below 1.
    bool CreateFromPackedDIBPointer(const std::uint8_t* pDIB);
    // Takes a frame that is already packed, without copying it; the same refusals.
    bool CreateFromPackedDib(std::shared_ptr<const PackedDib> frame);

    // The frame last taken, or null before the first.
    const std::shared_ptr<const PackedDib>& Frame() const { return frame_; }

    // Writes the BMP file whole or not at all. Throws Failure with the path and the cause.
    void WriteToFile(const QString& filename) const;

private:
    static bool Acceptable(const BitmapInfoHeader& header);
    std::shared_ptr<const PackedDib> frame_;
};
