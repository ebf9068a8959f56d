#pragma once

#include "convert/source/decoder_threading.h"
#include "convert/source/picture_index.h"
#include "convert/source/video_file.h"

#include <memory>
#include <optional>

// The pictures of a video outside AVI as a decode from its start gives them: each picture's
// best-effort timestamp (a picture without one takes the time of the one before it) and the decoder's
// key-frame mark. Exact whatever the file holds, at the cost of decoding it all; no entry points.
// None when no decoder can open the stream. Throws std::bad_alloc when memory runs out.
std::optional<PictureIndex> IndexByDecoding(std::unique_ptr<VideoFile> video, DecoderThreading threads);
