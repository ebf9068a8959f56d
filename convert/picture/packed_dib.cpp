#include "convert/picture/packed_dib.h"

#include <cstring>

namespace {

template <class T>
T ReadLE(const std::uint8_t* p)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return static_cast<T>(value);
}

template <class T>
void WriteLE(std::uint8_t*& p, T value)
{
    auto bits = static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
    for (std::size_t i = 0; i < sizeof(T); ++i)
        *p++ = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

BitmapInfoHeader BitmapInfoHeader::Read(const std::uint8_t* b)
{
    BitmapInfoHeader h;
    h.biSize = ReadLE<std::int32_t>(b);
    h.biWidth = ReadLE<std::int32_t>(b + 4);
    h.biHeight = ReadLE<std::int32_t>(b + 8);
    h.biPlanes = ReadLE<std::uint16_t>(b + 12);
    h.biBitCount = ReadLE<std::uint16_t>(b + 14);
    h.biCompression = ReadLE<std::uint32_t>(b + 16);
    h.biSizeImage = ReadLE<std::uint32_t>(b + 20);
    h.biXPelsPerMeter = ReadLE<std::int32_t>(b + 24);
    h.biYPelsPerMeter = ReadLE<std::int32_t>(b + 28);
    h.biClrUsed = ReadLE<std::uint32_t>(b + 32);
    h.biClrImportant = ReadLE<std::uint32_t>(b + 36);
    return h;
}

void BitmapInfoHeader::Write(std::uint8_t* p) const
{
    WriteLE(p, biSize);
    WriteLE(p, biWidth);
    WriteLE(p, biHeight);
    WriteLE(p, biPlanes);
    WriteLE(p, biBitCount);
    WriteLE(p, biCompression);
    WriteLE(p, biSizeImage);
    WriteLE(p, biXPelsPerMeter);
    WriteLE(p, biYPelsPerMeter);
    WriteLE(p, biClrUsed);
    WriteLE(p, biClrImportant);
}

namespace {

constexpr std::size_t kRowAlignment = 64;

}  // namespace

void PackedDib::Allocate(std::size_t size)
{
    // Every byte is written by the caller, so none is cleared first. The header goes just before a
    // boundary, so that the pixels start on it.
    storage_ = std::make_unique_for_overwrite<std::uint8_t[]>(size + kRowAlignment);
    const auto address = reinterpret_cast<std::uintptr_t>(storage_.get()) + BitmapInfoHeader::kSize;
    const std::size_t skip = (kRowAlignment - address % kRowAlignment) % kRowAlignment;
    bytes_ = storage_.get() + skip;
    size_ = size;
}

PackedDib::PackedDib(int width, int height)
{
    Resize(width, height);
}

void PackedDib::Resize(int width, int height)
{
    if (storage_ && width == header_.biWidth && height == header_.biHeight)
        return;
    BitmapInfoHeader header{};
    header.biWidth = width;
    header.biHeight = height;
    header.biSizeImage = static_cast<std::uint32_t>(RowStride(width) * static_cast<std::size_t>(height));
    // The header changes only with the storage: a bitmap that could not grow must not claim the new
    // size, or the next picture of that size would be written past its end.
    Allocate(BitmapInfoHeader::kSize + header.biSizeImage);
    header_ = header;
    header_.Write(bytes_);
    const std::size_t used = static_cast<std::size_t>(width) * 3;
    if (const std::size_t padding = Stride() - used) {
        for (int y = 0; y < height; ++y)
            std::memset(Bits() + static_cast<std::size_t>(y) * Stride() + used, 0, padding);
    }
}

PackedDib PackedDib::CopyOf(const std::uint8_t* bytes, const BitmapInfoHeader& header)
{
    PackedDib dib;
    dib.header_ = header;
    dib.Allocate(BitmapInfoHeader::kSize + header.biSizeImage);
    std::memcpy(dib.bytes_, bytes, dib.size_);
    return dib;
}
