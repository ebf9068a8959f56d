#include "test_frames.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>

namespace {

constexpr int kTile = 24;
constexpr std::uint8_t kPaddingJunk = 0xA5;

void FillPadding(PackedDib& frame)
{
    const std::size_t used = static_cast<std::size_t>(frame.Width()) * 3;
    for (int y = 0; y < frame.Height(); ++y)
        std::fill_n(frame.Bits() + y * frame.Stride() + used, frame.Stride() - used, kPaddingJunk);
}

std::uint8_t Ramp(int at, int length) { return static_cast<std::uint8_t>(length > 1 ? 255 * at / (length - 1) : 128); }

}  // namespace

PackedDib ColourfulFrame(int width, int height, std::uint32_t seed)
{
    static constexpr std::array<std::array<std::uint8_t, 3>, 7> kBlocks{{
        {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255}}};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-40, 40);
    PackedDib frame(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = frame.Bits() + static_cast<std::size_t>(height - 1 - y) * frame.Stride();
        for (int x = 0; x < width; ++x, pixel += 3) {
            const std::uint8_t gradient[3] = {Ramp(x + y, width + height - 1), Ramp(y, height), Ramp(x, width)};
            switch ((x / kTile + y / kTile) % 3) {
            case 0: {
                const auto& block = kBlocks[static_cast<std::size_t>((x / 7 + 3 * (y / 5)) % 7)];
                std::memcpy(pixel, block.data(), 3);
                break;
            }
            case 1:
                std::memcpy(pixel, gradient, 3);
                break;
            default:
                for (int c = 0; c < 3; ++c)
                    pixel[c] = static_cast<std::uint8_t>(std::clamp(gradient[c] + grain(random), 0, 255));
            }
        }
    }
    FillPadding(frame);
    return frame;
}

PackedDib VideoLikeFrame(int width, int height, std::uint32_t seed)
{
    struct Shape {
        double left, top, right, bottom;  // fractions of the frame
        bool round;
        std::uint8_t bgr[3];
    };
    static constexpr Shape kShapes[] = {
        {0.07, 0.11, 0.38, 0.43, false, {20, 30, 230}},
        {0.55, 0.08, 0.93, 0.31, false, {240, 200, 10}},
        {0.21, 0.52, 0.49, 0.91, true, {30, 220, 40}},
        {0.61, 0.47, 0.87, 0.83, true, {250, 250, 250}},
    };
    constexpr double kTau = 6.283185307179586;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-3, 3);
    PackedDib frame(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = frame.Bits() + static_cast<std::size_t>(height - 1 - y) * frame.Stride();
        const double v = (y + 0.5) / height;
        for (int x = 0; x < width; ++x, pixel += 3) {
            const double u = (x + 0.5) / width;
            double bgr[3] = {128 + 90 * std::sin(kTau * (0.8 * u + 0.6 * v) + 2), 128 + 90 * std::sin(kTau * 1.1 * v + 1),
                128 + 90 * std::sin(kTau * 1.3 * u + v)};
            for (const Shape& shape : kShapes) {
                const bool inside = shape.round
                    ? std::hypot((u - (shape.left + shape.right) / 2) / (shape.right - shape.left),
                          (v - (shape.top + shape.bottom) / 2) / (shape.bottom - shape.top)) < 0.5
                    : u >= shape.left && u < shape.right && v >= shape.top && v < shape.bottom;
                if (inside)
                    std::copy(std::begin(shape.bgr), std::end(shape.bgr), bgr);
            }
            for (int c = 0; c < 3; ++c)
                pixel[c] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(bgr[c]) + grain(random), 0, 255));
        }
    }
    FillPadding(frame);
    return frame;
}

PackedDib FlatFrame(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    PackedDib frame(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = frame.Bits() + static_cast<std::size_t>(y) * frame.Stride();
        for (int x = 0; x < width; ++x, pixel += 3) {
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
    }
    FillPadding(frame);
    return frame;
}

QByteArray TopDownBgr(const PackedDib& frame)
{
    const qsizetype rowBytes = qsizetype(frame.Width()) * 3;
    QByteArray picture;
    picture.reserve(rowBytes * frame.Height());
    for (int y = 0; y < frame.Height(); ++y)
        picture.append(reinterpret_cast<const char*>(frame.TopDownRow(y)), rowBytes);
    return picture;
}
