#pragma once

#include "convert/decoder_watch.h"
#include "convert/ffmpeg_handles.h"
#include "convert/thread_budget.h"

#include <QString>

#include <cstdint>
#include <deque>

// The first video stream of one AVI file, read and decoded in order: its pictures in the order the
// decoder puts them out, each with the position it belongs to. The only place that speaks FFmpeg's
// send/receive protocol.
//
// The k-th picture belongs to the k-th packet's position, leaving out packets that failed to decode.
// A decoder working on several frames at once reports a failure some packets late, when it can no
// longer be told which packet failed, and hides damage differently from run to run. So at the first
// sign of damage the stream is decoded again from its start on one thread, where a failure belongs to
// the packet just sent, and the pictures already handed out are passed over. Pictures handed out
// before came from packets decoded before the damaged one, which cannot depend on it. Every run thus
// gives a damaged file the same pictures at the same positions, whatever the number of threads.
class DecodeLoop {
public:
    enum class Status {
        Ok,
        FileError,       // missing, not an AVI, no video stream
        NoDecompressor,  // no decoder can open the stream
    };

    DecodeLoop();
    ~DecodeLoop();
    DecodeLoop(const DecodeLoop&) = delete;
    DecodeLoop& operator=(const DecodeLoop&) = delete;

    // The decoder gets the threads `budget` gives pictures of the stream's size. Throws std::bad_alloc
    // when memory runs out.
    Status Open(const QString& path, const ThreadBudget& budget);

    const AVStream& Stream() const { return *format_->streams[streamIndex_]; }
    int StreamIndex() const { return streamIndex_; }
    // Threads the decoder really works with (1 when it decodes on the caller's thread only).
    int DecoderThreads() const;

    // The next picture and its position; false once the stream has no more. Throws std::bad_alloc
    // when memory runs out.
    bool Next(AVFrame* into, std::int64_t& position);

    // The highest position of a packet handed to the decoder so far; -1 before the first.
    std::int64_t LastPacketPosition() const { return lastPacketPosition_; }

private:
    Status OpenFile();
    Status OpenDecoder(int threads);
    // True when the decoder works on several frames at once and has met damage.
    bool DamageOnSeveralThreads(const AVFrame& picture) const;
    // Sends the next packet of the stream, or the end of the stream; false when both have been sent.
    bool SendNextPacket();
    void DecodingFailed(int error);
    void StartOverOnOneThread();

    QString path_;
    DecoderWatch watch_;  // before the decoder, whose threads use it until it is freed
    FormatContextPtr format_;
    CodecContextPtr decoder_;
    PacketPtr packet_;
    int streamIndex_ = -1;
    bool lateFailures_ = false;  // failures may surface packets after the one that failed

    // Positions of the packets sent whose pictures have not come out yet, in the order sent.
    std::deque<std::int64_t> pending_;
    std::int64_t lastPacketPosition_ = -1;
    std::int64_t lastSentPosition_ = -1;
    std::int64_t lastPicturePosition_ = -1;
    // After starting over: pictures up to this position were handed out before.
    std::int64_t handedOutThrough_ = -1;
    bool endSent_ = false;
    bool drained_ = false;
};
