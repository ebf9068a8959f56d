#pragma once

#include <QString>

// How many empty chunks of stream `stream` an AVI file holds after the last chunk of that stream that
// has data: frames a capture dropped at the very end. FFmpeg's reader passes over empty chunks without
// a packet, so only the file's own structure tells them from a file that simply ends there. Walks the
// RIFF lists (`movi`, `rec `, OpenDML's `AVIX` parts) as far as the file really goes.
int TrailingEmptyChunks(const QString& path, int stream);
