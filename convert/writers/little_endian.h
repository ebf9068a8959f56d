#pragma once

#include <cstdint>
#include "common/file_bytes.h"

#include <vector>

// The BMP, TGA and PCX headers store their numbers least significant byte first.

inline void AppendU16LE(FileBytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32LE(FileBytes& out, std::uint32_t value)
{
    AppendU16LE(out, static_cast<std::uint16_t>(value));
    AppendU16LE(out, static_cast<std::uint16_t>(value >> 16));
}
