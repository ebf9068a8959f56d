#pragma once

#include "common/file_bytes.h"
#include "convert/picture/jpeg_planes.h"

// Compresses 4:2:0 planes into `out` (replacing what it held) through libjpeg's raw-data interface,
// sixteen rows at a time, with exactly the settings and padding TurboJPEG's own compression from YUV
// planes uses, so the bytes are the same as it would make. Rows a picture makes are made into a strip
// that stays in the cache, not into a copy of the whole picture. Throws Failure with libjpeg's message.
void CompressJpegPlanes(const JpegPlanes& picture, int quality, FileBytes& out);
