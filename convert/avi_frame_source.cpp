#include "convert/avi_frame_source.h"

#include "convert/ffmpeg_handles.h"
#include "convert/decoded_picture.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <limits>
#include <optional>

namespace {

bool AcceptableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= AviFrameSource::kMaxDimension && height <= AviFrameSource::kMaxDimension
        && std::int64_t{width} * height <= AviFrameSource::kMaxPixels;
}

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

struct AviFrameSource::State {
    FormatContextPtr format;
    CodecContextPtr decoder;
    int streamIndex = -1;
    std::int32_t startPosition = 0;
    std::int32_t frameCount = 0;
    int width = 0;
    int height = 0;

    PacketPtr packet{av_packet_alloc()};

    // Positions of the packets sent to the decoder whose pictures have not come out yet. The decoder
    // puts out pictures in display order, one per non-empty chunk: the k-th picture belongs to the
    // k-th packet's position.
    std::deque<std::int64_t> pendingPositions;
    std::int64_t lastPacketPosition = -1;
    bool demuxerEnded = false;
    bool decoderDrained = false;

    // The latest picture at or before the asked position.
    std::shared_ptr<const DecodedPicture> current;
    std::int64_t currentPosition = -1;
    // The first picture found beyond the asked position, kept for the next request.
    FramePtr ahead{av_frame_alloc()};
    std::int64_t aheadPosition = -1;

    bool ReadPacketIntoDecoder();
    bool ReceivePicture(AVFrame* into, std::int64_t& position);
    void AdvanceTo(std::int64_t position);
};

// Feeds the decoder the next packet of the stream, or the end-of-stream signal. False when there is
// nothing more to feed.
bool AviFrameSource::State::ReadPacketIntoDecoder()
{
    if (demuxerEnded)
        return false;
    while (true) {
        const int read = av_read_frame(format.get(), packet.get());
        if (read < 0) {
            // The end, a truncation or a read error: what was read so far stands.
            demuxerEnded = true;
            avcodec_send_packet(decoder.get(), nullptr);
            return true;
        }
        // A packet the file holds only part of (it breaks off inside the chunk) is not a frame: the
        // decoder would make a damaged picture of it.
        if (packet->stream_index != streamIndex || packet->size <= 0 || (packet->flags & AV_PKT_FLAG_CORRUPT)) {
            av_packet_unref(packet.get());
            continue;
        }
        const std::int64_t position = packet->dts != AV_NOPTS_VALUE ? packet->dts
            : packet->pts != AV_NOPTS_VALUE                          ? packet->pts
                                                                     : lastPacketPosition + 1;
        const int sent = avcodec_send_packet(decoder.get(), packet.get());
        av_packet_unref(packet.get());
        // Pictures are always received until the decoder asks for input, so it never answers EAGAIN
        // here; a packet it refuses gives no picture.
        if (sent < 0)
            continue;
        pendingPositions.push_back(position);
        lastPacketPosition = std::max(lastPacketPosition, position);
        return true;
    }
}

// The next picture the decoder puts out, with the position it belongs to. False at the very end.
bool AviFrameSource::State::ReceivePicture(AVFrame* into, std::int64_t& position)
{
    while (!decoderDrained) {
        const int received = avcodec_receive_frame(decoder.get(), into);
        if (received == 0) {
            if (!pendingPositions.empty()) {
                position = pendingPositions.front();
                pendingPositions.pop_front();
            } else {
                position = std::max(lastPacketPosition, currentPosition) + 1;
            }
            return true;
        }
        if (received == AVERROR_EOF) {
            decoderDrained = true;
            break;
        }
        if (received != AVERROR(EAGAIN)) {
            // A picture that failed to decode: its position gets none; go on with the next.
            if (!pendingPositions.empty())
                pendingPositions.pop_front();
            continue;
        }
        if (!ReadPacketIntoDecoder()) {
            decoderDrained = true;
            break;
        }
    }
    return false;
}

// Makes `current` the last picture at or before `position`, reading no further than needed to know it.
void AviFrameSource::State::AdvanceTo(std::int64_t position)
{
    while (true) {
        if (aheadPosition >= 0) {
            if (aheadPosition > position)
                return;
            FramePtr picture(av_frame_alloc());
            if (!picture)
                throw std::bad_alloc();
            av_frame_move_ref(picture.get(), ahead.get());
            current = std::make_shared<const DecodedPicture>(std::move(picture), width, height);
            currentPosition = aheadPosition;
            aheadPosition = -1;
        }
        std::int64_t next = -1;
        if (!ReceivePicture(ahead.get(), next))
            return;
        aheadPosition = next;
    }
}

AviFrameSource::AviFrameSource() = default;
AviFrameSource::~AviFrameSource() = default;

AviFrameSource::Status AviFrameSource::Open(const QString& path)
{
    Release();
    // Only regular files: a folder is no video, and a pipe or a device named .avi would block the
    // open or never end.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return Status::FileError;

    auto state = std::make_unique<State>();
    AVFormatContext* opened = nullptr;
    // Only the AVI reader: a file of another kind is not an AVI, whatever its name.
    const QByteArray nativePath = QFile::encodeName(path);
    if (avformat_open_input(&opened, nativePath.constData(), av_find_input_format("avi"), nullptr) < 0)
        return Status::FileError;
    state->format.reset(opened);

    for (unsigned i = 0; i < state->format->nb_streams; ++i) {
        if (state->format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            state->streamIndex = static_cast<int>(i);
            break;
        }
    }
    if (state->streamIndex < 0)
        return Status::FileError;
    for (unsigned i = 0; i < state->format->nb_streams; ++i) {
        if (static_cast<int>(i) != state->streamIndex)
            state->format->streams[i]->discard = AVDISCARD_ALL;
    }

    AVStream* stream = state->format->streams[state->streamIndex];
    const AVCodecParameters* parameters = stream->codecpar;
    // A header that claims an absurd frame is refused before anything of its size is allocated.
    if (!AcceptableSize(parameters->width, parameters->height))
        return Status::FileError;
    state->width = parameters->width;
    state->height = parameters->height;
    state->startPosition = stream->start_time != AV_NOPTS_VALUE ? ClampToInt32(stream->start_time) : 0;
    state->frameCount = ClampToInt32(stream->nb_frames);

    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return Status::NoDecompressor;
    state->decoder.reset(avcodec_alloc_context3(codec));
    if (!state->decoder || avcodec_parameters_to_context(state->decoder.get(), parameters) < 0)
        return Status::NoDecompressor;
    state->decoder->thread_count = 0;
    state->decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(state->decoder.get(), codec, nullptr) < 0)
        return Status::NoDecompressor;
    if (!state->packet || !state->ahead)
        throw std::bad_alloc();
    state_ = std::move(state);
    return Status::Ok;
}

std::int32_t AviFrameSource::StartPosition() const { return state_ ? state_->startPosition : 0; }
std::int32_t AviFrameSource::FrameCount() const { return state_ ? state_->frameCount : 0; }
int AviFrameSource::Width() const { return state_ ? state_->width : 0; }
int AviFrameSource::Height() const { return state_ ? state_->height : 0; }

std::shared_ptr<const DecodedPicture> AviFrameSource::PictureAt(std::int32_t position)
{
    if (!state_)
        return nullptr;
    State& s = *state_;
    s.AdvanceTo(position);
    // Nothing before the first picture; nothing past the last chunk the file really holds.
    if (s.currentPosition < 0 || position > s.lastPacketPosition)
        return nullptr;
    return s.current;
}

bool AviFrameSource::Exhausted() const
{
    if (!state_)
        return true;
    const State& s = *state_;
    return s.decoderDrained && s.aheadPosition < 0;
}

std::optional<std::int64_t> AviFrameSource::FirstPicturePosition() const
{
    if (!state_ || state_->currentPosition >= 0 || state_->aheadPosition < 0)
        return std::nullopt;
    return state_->aheadPosition;
}

void AviFrameSource::Release()
{
    state_.reset();
}
