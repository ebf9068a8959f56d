#include "convert/source/decode_loop.h"

#include "convert/picture/memory_shortage.h"
#include "convert/picture/picture_limits.h"

#include <algorithm>
#include <new>

DecodeLoop::DecodeLoop() = default;
DecodeLoop::~DecodeLoop() = default;

bool DecodeLoop::Start(std::unique_ptr<VideoFile> video, PositionRule& rule, int threads, QString& reason)
{
    video_ = std::move(video);
    rule_ = &rule;
    threads_ = threads;
    packet_.reset(av_packet_alloc());
    if (!packet_)
        throw std::bad_alloc();
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(video_->Stream().codecpar->codec_id);
    openAnewAtSeek_ = descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
    if (const std::optional<AviPalettes::Palette> first = FirstPacketPalette(*video_)) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(first->data());
        palette_.assign(bytes, bytes + AVPALETTE_SIZE);
        aviPalettes_ = AviPalettes::Of(*video_, *first);
    }
    return OpenDecoder(threads, reason);
}

bool DecodeLoop::OpenDecoder(int threads, QString& reason, DecoderWatch::Buffers buffers)
{
    const AVStream& stream = video_->Stream();
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec) {
        reason = QStringLiteral("no decoder for the video codec %1").arg(QString::fromUtf8(avcodec_get_name(stream.codecpar->codec_id)));
        return false;
    }
    int result = 0;
    for (const int tryThreads : {threads, 1}) {
        decoder_.reset(avcodec_alloc_context3(codec));
        if (!decoder_)
            throw std::bad_alloc();
        result = avcodec_parameters_to_context(decoder_.get(), stream.codecpar);
        ThrowIfOutOfMemory(result);
        if (result < 0)
            break;
        decoder_->thread_count = tryThreads;
        decoder_->pkt_timebase = stream.time_base;
        // Larger pictures are refused by the decoder itself, before anything of their size is allocated.
        decoder_->max_pixels = PictureLimits::kMaxPixels;
        watch_.Attach(*decoder_, buffers);
        result = avcodec_open2(decoder_.get(), codec, nullptr);
        // Threads that cannot be started (the machine is short of memory) leave decoding on one thread.
        if (result >= 0 || tryThreads == 1)
            break;
    }
    ThrowIfOutOfMemory(result);
    if (result < 0) {
        decoder_.reset();
        reason = QStringLiteral("the %1 decoder cannot decode this stream").arg(QString::fromUtf8(codec->name));
        return false;
    }
    lateFailures_ = decoder_->active_thread_type & FF_THREAD_FRAME;
    givenPalette_.reset();
    return true;
}

int DecodeLoop::DecoderThreads() const
{
    return decoder_ && decoder_->active_thread_type != 0 ? std::max(1, decoder_->thread_count) : 1;
}

void DecodeLoop::SendEnd()
{
    endSent_ = true;
    const int sent = avcodec_send_packet(decoder_.get(), nullptr);
    if (sent < 0 && sent != AVERROR_EOF)
        DecodingFailed();
}

bool DecodeLoop::SendNextPacket()
{
    if (endSent_)
        return false;
    while (true) {
        const int read = av_read_frame(&video_->Format(), packet_.get());
        ThrowIfOutOfMemory(read);
        if (read < 0) {
            // The end, a truncation or a read error: what was read so far stands.
            SendEnd();
            return true;
        }
        // An empty packet would read as the end of the stream.
        if (packet_->stream_index != video_->StreamIndex() || packet_->size <= 0 || !rule_->Takes(*packet_)) {
            av_packet_unref(packet_.get());
            continue;
        }
        const PacketGate::Verdict verdict = gate_ ? gate_->Admit(*packet_) : PacketGate::Verdict::Decode;
        if (verdict == PacketGate::Verdict::PassOver || verdict == PacketGate::Verdict::End) {
            av_packet_unref(packet_.get());
            if (verdict == PacketGate::Verdict::PassOver)
                continue;
            SendEnd();
            return true;
        }
        CarryPalette(*packet_);
        // Read before each packet is decoded, on this thread: a picture nobody refers to is passed over.
        decoder_->skip_frame = verdict == PacketGate::Verdict::DecodeUnshown ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
        rule_->Sent(*packet_);
        av_packet_unref(packet_.get());
        // Pictures are always received until the decoder asks for input, so it never answers EAGAIN.
        if (sent < 0)
            DecodingFailed();
        if (verdict == PacketGate::Verdict::DecodeAndEnd)
            SendEnd();
        return true;
    }
}

bool DecodeLoop::Seek(std::int64_t timestamp)
{
    const int sought = av_seek_frame(&video_->Format(), video_->StreamIndex(), timestamp, AVSEEK_FLAG_BACKWARD);
    ThrowIfOutOfMemory(sought);
    if (sought < 0)
        return false;
    if (openAnewAtSeek_) {
        QString reason;
        // The decoder opened a moment ago: if it cannot be opened now, the stretch cannot be read.
        if (!OpenDecoder(threads_, reason, DecoderWatch::Buffers::Forgotten))
            return false;
    } else {
        avcodec_flush_buffers(decoder_.get());
        givenPalette_.reset();
    }
    // The packet that came with the palette lies behind: the decoder is owed it.
    paletteOwed_ = !palette_.empty();
    rule_->StartOver();
    lastPicturePosition_ = -1;
    handedOutThrough_ = -1;
    endSent_ = false;
    drained_ = false;
    return true;
}

namespace {

// Gives `packet` the palette `bytes`, in place of any it came with (a decoder reads only the first).
void GivePalette(AVPacket& packet, const std::uint8_t* bytes, std::size_t size)
{
    std::size_t held = 0;
    std::uint8_t* into = av_packet_get_side_data(&packet, AV_PKT_DATA_PALETTE, &held);
    if (!into || held < size)
        into = av_packet_new_side_data(&packet, AV_PKT_DATA_PALETTE, size);
    if (!into)
        throw std::bad_alloc();
    std::copy(bytes, bytes + size, into);
}

}  // namespace

void DecodeLoop::CarryPalette(AVPacket& packet)
{
    std::size_t size = 0;
    const std::uint8_t* given = av_packet_get_side_data(&packet, AV_PKT_DATA_PALETTE, &size);
    if (aviPalettes_ && packet.pos >= 0) {
        const std::size_t inForce = aviPalettes_->IndexAt(packet.pos);
        if (given || givenPalette_ != inForce) {
            const AviPalettes::Palette& palette = (*aviPalettes_)[inForce];
            GivePalette(packet, reinterpret_cast<const std::uint8_t*>(palette.data()), AVPALETTE_SIZE);
            givenPalette_ = inForce;
        }
        return;
    }
    if (given) {
        palette_.assign(given, given + size);
        paletteOwed_ = false;
    } else if (paletteOwed_) {
        GivePalette(packet, palette_.data(), palette_.size());
        paletteOwed_ = false;
    }
}

void DecodeLoop::DecodingFailed()
{
    // Decoders report some allocations that failed inside them as damage (H.264 as invalid data), and
    // one that asked for an absurd size as a shortage: what tells is whether memory is short now.
    if (MemoryIsShort())
        throw std::bad_alloc();
    if (lateFailures_) {
        StartOverOnOneThread();
        return;
    }
    // On one thread a failure belongs to the packet just sent.
    ++failedPackets_;
    rule_->SentPacketFailed();
}

void DecodeLoop::StartOverOnOneThread()
{
    handedOutThrough_ = lastPicturePosition_;
    decoder_.reset();
    const QString path = video_->Path();
    video_.reset();
    rule_->StartOver();
    endSent_ = false;
    drained_ = false;
    // The same file opened a moment ago: if it cannot be opened now, it ends here.
    QString reason;
    video_ = VideoFile::Open(path, reason);
    if (!video_ || !OpenDecoder(1, reason)) {
        drained_ = true;
        endSent_ = true;
    }
}

bool DecodeLoop::DamageOnSeveralThreads(const AVFrame& picture) const
{
    return lateFailures_ && (watch_.DamageSeen() || picture.decode_error_flags != 0 || (picture.flags & AV_FRAME_FLAG_CORRUPT));
}

void DecodeLoop::MoveOutOfDecoderBuffers(AVFrame& picture)
{
    FramePtr copy(av_frame_alloc());
    if (!copy)
        throw std::bad_alloc();
    copy->format = picture.format;
    copy->width = picture.width;
    copy->height = picture.height;
    // Of a picture like the one copied, only the allocations can fail.
    if (av_frame_get_buffer(copy.get(), 0) < 0 || av_frame_copy(copy.get(), &picture) < 0 || av_frame_copy_props(copy.get(), &picture) < 0)
        throw std::bad_alloc();
    av_frame_unref(&picture);
    av_frame_move_ref(&picture, copy.get());
}

bool DecodeLoop::Next(AVFrame* into, std::int64_t& position)
{
    while (!drained_) {
        const int received = avcodec_receive_frame(decoder_.get(), into);
        // A decoder that could not have a picture buffer says at most that a packet failed.
        if (watch_.OutOfMemory())
            throw std::bad_alloc();
        if (received == 0 && DamageOnSeveralThreads(*into)) {
            av_frame_unref(into);
            StartOverOnOneThread();
            continue;
        }
        if (received == 0) {
            position = rule_->PositionOfNextPicture(*into);
            if (position < 0 || position <= handedOutThrough_) {
                av_frame_unref(into);
                continue;
            }
            lastPicturePosition_ = position;
            if (!lateFailures_)
                MoveOutOfDecoderBuffers(*into);
            return true;
        }
        if (received == AVERROR_EOF) {
            drained_ = true;
        } else if (received == AVERROR(EAGAIN)) {
            if (!SendNextPacket())
                drained_ = true;
        } else {
            DecodingFailed();
        }
    }
    return false;
}
