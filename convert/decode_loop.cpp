#include "convert/decode_loop.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/mem.h>
}

#include <algorithm>
#include <memory>
#include <new>

namespace {

// Frames larger than this are refused when opening, before anything of that size is allocated.
constexpr int kMaxDimension = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

bool AcceptableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension
        && std::int64_t{width} * height <= kMaxPixels;
}

// FFmpeg answers ENOMEM both when memory runs short and when a damaged file asks for an absurd block
// (a chunk that claims 4 GB). A block this large is more than any packet or table of a sound file
// needs and is still easy to reserve unless memory really is exhausted, so it tells the two apart.
constexpr std::size_t kShortMemoryProbe = std::size_t{256} << 20;

bool MemoryIsShort()
{
    // Through FFmpeg's own allocator, which the compiler cannot see through and leave out.
    const std::unique_ptr<void, decltype(&av_free)> probe(av_malloc(kShortMemoryProbe), &av_free);
    return !probe;
}

// Out of memory is the run's to report; a damaged file's ENOMEM is left to the caller as the error it is.
void ThrowIfOutOfMemory(int error)
{
    if (error == AVERROR(ENOMEM) && MemoryIsShort())
        throw std::bad_alloc();
}

}  // namespace

DecodeLoop::DecodeLoop() = default;
DecodeLoop::~DecodeLoop() = default;

DecodeLoop::Status DecodeLoop::Open(const QString& path, const ThreadBudget& budget)
{
    path_ = path;
    const Status opened = OpenFile();
    if (opened != Status::Ok)
        return opened;
    const AVCodecParameters& parameters = *Stream().codecpar;
    return OpenDecoder(budget.DecoderThreadsFor(parameters.width, parameters.height));
}

DecodeLoop::Status DecodeLoop::OpenFile()
{
    // Only regular files: a folder is no video, and a pipe or a device named .avi would block the
    // open or never end.
    if (path_.isEmpty() || !QFileInfo(path_).isFile())
        return Status::FileError;

    // A name is always a local file, whatever it looks like ("take2:cut.avi", "http:x.avi"): the file
    // protocol takes the name after "file:" as it is, in UTF-8, and no other protocol may be reached.
    DictionaryPtr options;
    AVDictionary* rawOptions = nullptr;
    if (av_dict_set(&rawOptions, "protocol_whitelist", "file", 0) < 0)
        throw std::bad_alloc();
    options.reset(rawOptions);
    const QByteArray url = QByteArrayLiteral("file:") + path_.toUtf8();
    AVFormatContext* opened = nullptr;
    // Only the AVI reader: a file of another kind is not an AVI, whatever its name.
    rawOptions = options.release();
    const int result = avformat_open_input(&opened, url.constData(), av_find_input_format("avi"), &rawOptions);
    options.reset(rawOptions);
    ThrowIfOutOfMemory(result);
    if (result < 0)
        return Status::FileError;
    format_.reset(opened);

    streamIndex_ = -1;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (format_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            streamIndex_ = static_cast<int>(i);
            break;
        }
    }
    if (streamIndex_ < 0)
        return Status::FileError;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex_)
            format_->streams[i]->discard = AVDISCARD_ALL;
    }
    // A header that claims an absurd frame is refused before anything of its size is allocated.
    const AVCodecParameters* parameters = format_->streams[streamIndex_]->codecpar;
    if (!AcceptableSize(parameters->width, parameters->height))
        return Status::FileError;
    packet_.reset(av_packet_alloc());
    if (!packet_)
        throw std::bad_alloc();
    return Status::Ok;
}

DecodeLoop::Status DecodeLoop::OpenDecoder(int threads)
{
    const AVStream& stream = Stream();
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec)
        return Status::NoDecompressor;
    int result = 0;
    for (const int tryThreads : {threads, 1}) {
        decoder_.reset(avcodec_alloc_context3(codec));
        if (!decoder_)
            throw std::bad_alloc();
        result = avcodec_parameters_to_context(decoder_.get(), stream.codecpar);
        ThrowIfOutOfMemory(result);
        if (result < 0)
            return Status::NoDecompressor;
        decoder_->thread_count = tryThreads;
        decoder_->pkt_timebase = stream.time_base;
        watch_.Attach(*decoder_);
        result = avcodec_open2(decoder_.get(), codec, nullptr);
        // Threads that cannot be started (the machine is short of memory) leave decoding on one thread.
        if (result >= 0 || tryThreads == 1)
            break;
    }
    ThrowIfOutOfMemory(result);
    if (result < 0) {
        decoder_.reset();
        return Status::NoDecompressor;
    }
    lateFailures_ = decoder_->active_thread_type & FF_THREAD_FRAME;
    return Status::Ok;
}

int DecodeLoop::DecoderThreads() const
{
    return decoder_ && decoder_->active_thread_type != 0 ? std::max(1, decoder_->thread_count) : 1;
}

bool DecodeLoop::SendNextPacket()
{
    if (endSent_)
        return false;
    while (true) {
        const int read = av_read_frame(format_.get(), packet_.get());
        ThrowIfOutOfMemory(read);
        if (read < 0) {
            // The end, a truncation or a read error: what was read so far stands.
            endSent_ = true;
            const int sent = avcodec_send_packet(decoder_.get(), nullptr);
            if (sent < 0 && sent != AVERROR_EOF)
                DecodingFailed(sent);
            return true;
        }
        // A packet the file holds only part of (it breaks off inside the chunk) is not a frame: the
        // decoder would make a damaged picture of it.
        if (packet_->stream_index != streamIndex_ || packet_->size <= 0 || (packet_->flags & AV_PKT_FLAG_CORRUPT)) {
            av_packet_unref(packet_.get());
            continue;
        }
        const std::int64_t position = packet_->dts != AV_NOPTS_VALUE ? packet_->dts
            : packet_->pts != AV_NOPTS_VALUE                          ? packet_->pts
                                                                      : lastSentPosition_ + 1;
        const int sent = avcodec_send_packet(decoder_.get(), packet_.get());
        av_packet_unref(packet_.get());
        pending_.push_back(position);
        lastSentPosition_ = position;
        lastPacketPosition_ = std::max(lastPacketPosition_, position);
        // Pictures are always received until the decoder asks for input, so it never answers EAGAIN.
        if (sent < 0)
            DecodingFailed(sent);
        return true;
    }
}

void DecodeLoop::DecodingFailed(int error)
{
    ThrowIfOutOfMemory(error);
    if (lateFailures_) {
        StartOverOnOneThread();
        return;
    }
    // On one thread a failure belongs to the packet just sent: it gives no picture, so its position
    // goes to no picture either.
    if (!pending_.empty() && pending_.back() == lastSentPosition_)
        pending_.pop_back();
}

void DecodeLoop::StartOverOnOneThread()
{
    handedOutThrough_ = lastPicturePosition_;
    decoder_.reset();
    format_.reset();
    pending_.clear();
    lastPacketPosition_ = -1;
    lastSentPosition_ = -1;
    endSent_ = false;
    drained_ = false;
    // The same file opened a moment ago: if it cannot be opened now, it ends here.
    if (OpenFile() != Status::Ok || OpenDecoder(1) != Status::Ok) {
        drained_ = true;
        endSent_ = true;
    }
}

bool DecodeLoop::DamageOnSeveralThreads(const AVFrame& picture) const
{
    return lateFailures_ && (watch_.DamageSeen() || picture.decode_error_flags != 0 || (picture.flags & AV_FRAME_FLAG_CORRUPT));
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
            if (!pending_.empty()) {
                position = pending_.front();
                pending_.pop_front();
            } else {
                position = std::max(lastPacketPosition_, lastPicturePosition_) + 1;
            }
            if (position <= handedOutThrough_) {
                av_frame_unref(into);
                continue;
            }
            lastPicturePosition_ = position;
            return true;
        }
        if (received == AVERROR_EOF) {
            drained_ = true;
        } else if (received == AVERROR(EAGAIN)) {
            if (!SendNextPacket())
                drained_ = true;
        } else {
            DecodingFailed(received);
        }
    }
    return false;
}
