#include "convert/avi_frame_source.h"

#include "convert/avi_chunk_walk.h"
#include "convert/decode_loop.h"
#include "convert/decoded_picture.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

struct AviFrameSource::State {
    QString path;
    DecodeLoop decode;
    std::int32_t startPosition = 0;
    std::int32_t frameCount = 0;
    int width = 0;
    int height = 0;

    // The latest picture at or before the asked position.
    std::shared_ptr<const DecodedPicture> current;
    std::int64_t currentPosition = -1;
    // The first picture found beyond the asked position, kept for the next request.
    FramePtr ahead{av_frame_alloc()};
    std::int64_t aheadPosition = -1;
    bool decoderEnded = false;
    // The last position of a chunk the file holds, known once the decoder has ended: empty chunks
    // after the last packet are positions too.
    std::optional<std::int64_t> lastHeldPosition;

    void AdvanceTo(std::int64_t position);
    std::int64_t LastHeldPosition();
};

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
        if (decoderEnded)
            return;
        std::int64_t next = -1;
        if (!decode.Next(ahead.get(), next)) {
            decoderEnded = true;
            return;
        }
        aheadPosition = next;
    }
}

std::int64_t AviFrameSource::State::LastHeldPosition()
{
    if (!lastHeldPosition)
        lastHeldPosition = decode.LastPacketPosition() + TrailingEmptyChunks(path, decode.StreamIndex());
    return *lastHeldPosition;
}

AviFrameSource::AviFrameSource() = default;
AviFrameSource::~AviFrameSource() = default;

AviFrameSource::Status AviFrameSource::Open(const QString& path, const ThreadBudget& budget)
{
    Release();
    auto state = std::make_unique<State>();
    if (!state->ahead)
        throw std::bad_alloc();
    state->path = path;
    switch (state->decode.Open(path, budget)) {
    case DecodeLoop::Status::Ok: break;
    case DecodeLoop::Status::FileError: return Status::FileError;
    case DecodeLoop::Status::NoDecompressor: return Status::NoDecompressor;
    }
    const AVStream& stream = state->decode.Stream();
    state->width = stream.codecpar->width;
    state->height = stream.codecpar->height;
    state->startPosition = stream.start_time != AV_NOPTS_VALUE ? ClampToInt32(stream.start_time) : 0;
    state->frameCount = ClampToInt32(stream.nb_frames);
    state_ = std::move(state);
    return Status::Ok;
}

std::int32_t AviFrameSource::StartPosition() const { return state_ ? state_->startPosition : 0; }
std::int32_t AviFrameSource::FrameCount() const { return state_ ? state_->frameCount : 0; }
int AviFrameSource::Width() const { return state_ ? state_->width : 0; }
int AviFrameSource::Height() const { return state_ ? state_->height : 0; }
int AviFrameSource::DecoderThreads() const { return state_ ? state_->decode.DecoderThreads() : 1; }

std::shared_ptr<const DecodedPicture> AviFrameSource::PictureAt(std::int32_t position)
{
    if (!state_)
        return nullptr;
    State& s = *state_;
    s.AdvanceTo(position);
    // Nothing before the first picture; nothing past the last chunk the file really holds.
    if (s.currentPosition < 0)
        return nullptr;
    if (position > s.decode.LastPacketPosition() && (!s.decoderEnded || position > s.LastHeldPosition()))
        return nullptr;
    return s.current;
}

bool AviFrameSource::Exhausted() const
{
    return !state_ || (state_->decoderEnded && state_->aheadPosition < 0);
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
