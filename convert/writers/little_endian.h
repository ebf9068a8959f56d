#pragma once

#include <cstdint>
#include <vector>

// The BMP, TGA and PCX headers store their numbers least significant byte first.

inline void AppendU16LE(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32LE(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    AppendU16LE(out, static_cast<std::uint16_t>(value));
    AppendU16LE(out, static_cast<std::uint16_t>(value >> 16));
}
