#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// Calls `visit` with each chunk of stream `stream` in an AVI file, in file order: the chunk's type (the
// two characters after the stream's number: "dc", "db", "pc", ...), the offset of its header, its data
// size, and the open file to read its data from. Walks the RIFF lists (`movi`, `rec `, OpenDML's `AVIX`
// parts) as far as the file really goes; stops where `visit` returns false.
void WalkStreamChunks(const QString& path, int stream,
    const std::function<bool(QFile& file, const char* type, qint64 at, qint64 size)>& visit);

// The picture chunks ("dc", "db") of stream `stream` in an AVI file, as far as the file's structure can be
// followed and up to one the file breaks off inside.
struct PictureChunks {
    std::vector<std::int64_t> data;  // where the data of each starts, in file order
    // How many are empty after the last that has data: frames a capture dropped at the very end.
    // FFmpeg's reader passes over empty chunks without a packet, so only the file's own structure
    // tells them from a file that simply ends there.
    int trailingEmpty = 0;
};
PictureChunks PictureChunksOf(const QString& path, int stream);

int TrailingEmptyChunks(const QString& path, int stream);
