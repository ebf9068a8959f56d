#pragma once

extern "C" {
#include <libavcodec/packet.h>
}

// Decides, packet by packet before each is sent to the decoder, what becomes of it when only some of a
// stream's pictures are wanted.
class PacketGate {
public:
    enum class Verdict {
        PassOver,        // not sent: it comes before where decoding starts
        Decode,          // sent, and its picture wanted
        DecodeUnshown,   // sent only for the pictures that refer to it: a picture nobody refers to is skipped
        DecodeAndEnd,    // sent, and then the stream ends: every wanted picture has its packet
        End,             // not sent, and the stream ends here
    };

    virtual ~PacketGate() = default;
    virtual Verdict Admit(const AVPacket& packet) = 0;
};
