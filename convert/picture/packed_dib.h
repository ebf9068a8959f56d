#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The 40-byte BITMAPINFOHEADER, field by field.
struct BitmapInfoHeader {
    std::int32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows bottom-up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 24;
    std::uint32_t biCompression = 0;  // BI_RGB
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    static constexpr std::size_t kSize = 40;

    // Reads the little-endian header from the first 40 bytes at `bytes`.
    static BitmapInfoHeader Read(const std::uint8_t* bytes);
    // Writes it as 40 little-endian bytes.
    void Write(std::uint8_t* bytes) const;
};

// A packed device-independent bitmap: the 40-byte header directly followed by 24-bit BGR pixel rows,
// bottom-up, each row padded to a multiple of 4 bytes. One contiguous block, as a frame is handed out.
class PackedDib {
public:
    // Bytes in one 24-bit row, padded to 4: ((width * 3 + 3) with the two low bits cleared).
    static constexpr std::size_t RowStride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

    // An uncompressed 24-bit frame of this size. Only the padding at the end of each row is zeroed:
    // the pixels are for the caller to fill. The first pixel row starts on a 64-byte boundary, as
    // vector code writes fastest.
    PackedDib(int width, int height);
    // A copy of the packed bitmap at `bytes` whose header says how many pixel bytes follow.
    static PackedDib CopyOf(const std::uint8_t* bytes, const BitmapInfoHeader& header);

    // Makes this a frame of that size, keeping its memory when the size is the same.
    void Resize(int width, int height);

    const BitmapInfoHeader& Header() const { return header_; }
    int Width() const { return header_.biWidth; }
    int Height() const { return header_.biHeight; }
    std::size_t Stride() const { return RowStride(header_.biWidth); }

    // Header and pixels, as one block.
    std::span<const std::uint8_t> Bytes() const { return {bytes_, size_}; }
    // The pixel rows, bottom row first.
    const std::uint8_t* Bits() const { return bytes_ + BitmapInfoHeader::kSize; }
    std::uint8_t* Bits() { return bytes_ + BitmapInfoHeader::kSize; }
    std::span<const std::uint8_t> Pixels() const { return Bytes().subspan(BitmapInfoHeader::kSize); }
    // Row y counted from the top of the picture.
    const std::uint8_t* TopDownRow(int y) const { return Bits() + static_cast<std::size_t>(Height() - 1 - y) * Stride(); }
    std::uint8_t* TopDownRow(int y) { return Bits() + static_cast<std::size_t>(Height() - 1 - y) * Stride(); }

private:
    PackedDib() = default;
    void Allocate(std::size_t size);

    BitmapInfoHeader header_;
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint8_t* bytes_ = nullptr;  // the header, within storage_
    std::size_t size_ = 0;
};
