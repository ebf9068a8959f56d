#pragma once

#include <cstdint>

// The largest pictures the program takes: 16384 a side and 2^27 pixels (a 12K frame). A header or a
// picture beyond them is damage, refused before anything of its size is allocated.
namespace PictureLimits {

constexpr int kMaxDimension = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

// True for a size within the limits; 0 stands for a size not known yet, which the pictures will tell.
constexpr bool Admits(int width, int height)
{
    return width >= 0 && height >= 0 && width <= kMaxDimension && height <= kMaxDimension
        && std::int64_t{width} * height <= kMaxPixels;
}

}  // namespace PictureLimits
