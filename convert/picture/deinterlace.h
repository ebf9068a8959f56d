#pragma once

extern "C" {
#include <libavutil/frame.h>
}

// One picture deinterlaced with libavfilter's bwdif, as `-vf bwdif=mode=send_frame:parity=auto:
// deint=interlaced` does over a whole stream. What the filter puts out for a picture depends on that
// picture and the one before and after it alone, so a graph fed those three gives the picture the
// stream's graph gives; at the stream's ends the filter stands the picture in for its missing
// neighbour, as it does here when there is none. Pictures not flagged interlaced pass as they are.
//
// Makes `out` the deinterlaced `picture`; `previous` and `next` are its neighbours in decoding's output,
// null at the stream's ends (or when their size or kind differs). Throws std::runtime_error when the
// filter cannot take the picture, std::bad_alloc when memory runs out.
void Deinterlace(const AVFrame* previous, const AVFrame& picture, const AVFrame* next, AVFrame& out);
