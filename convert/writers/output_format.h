#pragma once

#include <QString>

#include <optional>

// The seven output formats. The numbers are fixed: they are what the settings store holds.
enum class OutputFormat { BMP = 1, JPG = 2, PNG = 3, GIF = 4, TIFF = 5, TGA = 6, PCX = 7 };

inline constexpr OutputFormat kAllOutputFormats[] = {OutputFormat::BMP, OutputFormat::JPG, OutputFormat::PNG,
    OutputFormat::GIF, OutputFormat::TIFF, OutputFormat::TGA, OutputFormat::PCX};

// "bmp", "jpg", "png", "gif", "tiff", "tga", "pcx".
QString ExtensionOf(OutputFormat format);

// The format with this number (1 to 7), or none.
std::optional<OutputFormat> OutputFormatFromNumber(int number);

// The format whose extension or caption this is, in any letter case ("jpg", "TIFF"), or none.
std::optional<OutputFormat> OutputFormatFromName(const QString& name);
