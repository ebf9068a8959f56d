#pragma once

#include "convert/source/avi_palettes.h"
#include "convert/source/decoder_watch.h"
#include "convert/source/packet_gate.h"
#include "convert/source/stream_handles.h"
#include "convert/source/position_rule.h"
#include "convert/source/video_file.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The stream of one video file, read and decoded in order: its pictures in the order the decoder puts
// them out, each with the position its rule gives it. The only place that speaks FFmpeg's send/receive
// protocol.
//
// A decoder working on several frames at once reports a failure some packets late, when it can no
// longer be told which packet failed, and hides damage differently from run to run. So at the first
// sign of damage the stream is decoded again from its start on one thread, where a failure belongs to
// the packet just sent, and the pictures already handed out are passed over. Pictures handed out
// before came from packets decoded before the damaged one, which cannot depend on it. Every run thus
// gives a damaged file the same pictures at the same positions, whatever the number of threads.
class DecodeLoop {
public:
    DecodeLoop();
    ~DecodeLoop();
    DecodeLoop(const DecodeLoop&) = delete;
    DecodeLoop& operator=(const DecodeLoop&) = delete;

    // Decodes the stream of `video` on `threads` threads, numbering its pictures by `rule`, which must
    // outlive the loop. False when no decoder can open the stream, with the reason in `reason`. Throws
    // std::bad_alloc when memory runs out.
    bool Start(std::unique_ptr<VideoFile> video, PositionRule& rule, int threads, QString& reason);

    // How much of the file has been read, from 0 to 1.
    double ReadFraction() const { return video_ ? video_->ReadFraction() : 1.0; }
    // Threads the decoder really works with (1 when it decodes on the caller's thread only).
    int DecoderThreads() const;

    // The next picture and its position; false once the stream has no more. Decoded on one thread, it
    // comes in a buffer of its own (see MoveOutOfDecoderBuffers). Throws std::bad_alloc when memory
    // runs out.
    bool Next(AVFrame* into, std::int64_t& position);

    // Packets go through `gate` (which must outlive the loop) from now on; null: every packet is decoded.
    void SetGate(PacketGate* gate) { gate_ = gate; }
    // Goes to the key frame at or before `timestamp` (a decoding timestamp of the stream, else a
    // presentation timestamp) and decodes on from there; the rule starts over. False when the file
    // cannot be sought in.
    //
    // A flushed decoder keeps what it read before: MJPEG its tables, and every decoder the pictures in
    // the buffers it recycles, which show through where damage leaves a picture undecoded. What comes
    // after a seek would then depend on what was read before it. Where every picture is its own entry
    // point (intra-only codecs), the decoder is opened anew instead, with its buffers cleared. Either
    // way the first packet after the seek carries the palette in force there (see CarryPalette): a
    // reader gives it only with the file's first packet, which lies behind.
    bool Seek(std::int64_t timestamp);
    // Whether the decoder met damage: a packet that failed, or one it reported as broken.
    bool MetDamage() const { return failedPackets_ > 0 || watch_.DamageSeen(); }

private:
    bool OpenDecoder(int threads, QString& reason, DecoderWatch::Buffers buffers = DecoderWatch::Buffers::New);
    // True when the decoder works on several frames at once and has met damage.
    bool DamageOnSeveralThreads(const AVFrame& picture) const;
    // Sends the next packet of the stream, or the end of the stream; false when both have been sent.
    bool SendNextPacket();
    // Gives `packet` the palette in force where it lies in an AVI file; in other files keeps the
    // palette `packet` gives, or gives it the one owed.
    void CarryPalette(AVPacket& packet);
    void SendEnd();
    void DecodingFailed();
    void StartOverOnOneThread();
    // Where damage stops a decoder, what it leaves undecoded and does not conceal (MPEG-2 field
    // pictures get no concealment) shows the buffer it recycled as that buffer was. The ffmpeg command
    // on one thread lets go of each picture before the decoder goes on, and so must we, however long
    // the picture is kept: it goes into a copy. On several threads a damaged picture is decoded again
    // on one, so the copy is made on one thread only.
    void MoveOutOfDecoderBuffers(AVFrame& picture);

    PositionRule* rule_ = nullptr;
    PacketGate* gate_ = nullptr;
    DecoderWatch watch_;  // before the decoder, whose threads use it until it is freed
    std::unique_ptr<VideoFile> video_;
    CodecContextPtr decoder_;
    PacketPtr packet_;
    int threads_ = 1;  // asked for
    bool lateFailures_ = false;  // failures may surface packets after the one that failed
    bool openAnewAtSeek_ = false;
    std::vector<std::uint8_t> palette_;  // the first packet's, then the last one the file gave
    bool paletteOwed_ = false;  // to the decoder since the last seek
    std::optional<AviPalettes> aviPalettes_;
    std::optional<std::size_t> givenPalette_;  // of aviPalettes_, since the last seek or start

    std::int64_t lastPicturePosition_ = -1;
    // After starting over: pictures up to this position were handed out before.
    std::int64_t handedOutThrough_ = -1;
    bool endSent_ = false;
    bool drained_ = false;
    int failedPackets_ = 0;
};
