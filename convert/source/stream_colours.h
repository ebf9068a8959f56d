#pragma once

#include "convert/picture/hdr_signal.h"

extern "C" {
#include <libavformat/avformat.h>
}

// What a stream's header says about its colours and brightness.
StreamColours StreamColoursOf(const AVStream& stream);
