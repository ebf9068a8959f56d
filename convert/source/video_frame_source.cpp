#include "convert/source/video_frame_source.h"

#include "convert/source/chunk_positions.h"
#include "convert/source/decode_loop.h"
#include "convert/picture/decoded_picture.h"
#include "convert/picture/hdr_signal.h"
#include "convert/picture/unknown_colours.h"
#include "convert/source/stream_colours.h"
#include "convert/source/picture_positions.h"
#include "convert/source/stretch_gate.h"
#include "convert/source/timestamp_positions.h"
#include "convert/source/video_file.h"

#include <algorithm>
#include <array>

struct VideoFrameSource::State {
    std::unique_ptr<PositionRule> rule;
    TimestampPositions* timestamps = nullptr;  // the rule, when it numbers by an index's timestamps
    std::optional<StretchGate> gate;
    DecodeLoop decode;  // after the rule and the gate it uses
    PictureLook look;
    // The container's sample aspect, which goes before the pictures' own as the ffmpeg command takes it.
    AVRational streamAspect{0, 1};
    // The stream's display matrix and colours, for pictures that carry none of their own.
    std::optional<std::array<std::int32_t, 9>> streamMatrix;
    StreamColours streamColours;

    // The latest picture at or before the asked position, made from `currentFrame` when first asked for.
    std::shared_ptr<const DecodedPicture> current;
    FramePtr currentFrame{av_frame_alloc()};
    std::int64_t currentPosition = -1;
    // The picture before it in decoding's output, kept only for deinterlacing.
    FramePtr previousFrame{av_frame_alloc()};
    // The first picture found beyond the asked position, kept for the next request.
    FramePtr ahead{av_frame_alloc()};
    std::int64_t aheadPosition = -1;
    bool decoderEnded = false;

    void AdvanceTo(std::int64_t position);
    std::shared_ptr<const DecodedPicture> Current();
    Orientation OrientationOf(const AVFrame& picture) const;
    void StartOver();
};

// A picture shaped for deinterlacing takes its neighbours along: the one before it, and the one after,
// which AdvanceTo has decoded already unless the stream ended.
std::shared_ptr<const DecodedPicture> VideoFrameSource::State::Current()
{
    if (current || currentPosition < 0)
        return current;
    const auto reference = [](const AVFrame& frame) {
        FramePtr copy(av_frame_alloc());
        if (!copy || av_frame_ref(copy.get(), &frame) < 0)
            throw std::bad_alloc();
        return copy;
    };
    PictureShaping shaping;
    shaping.shape = look.shape;
    shaping.sampleAspect = streamAspect.num > 0 && streamAspect.den > 0 ? streamAspect : currentFrame->sample_aspect_ratio;
    if (look.shape.deinterlace) {
        if (previousFrame->buf[0])
            shaping.previous = reference(*previousFrame);
        if (aheadPosition >= 0)
            shaping.next = reference(*ahead);
    }
    FramePtr picture(av_frame_alloc());
    if (!picture || av_frame_ref(picture.get(), currentFrame.get()) < 0)
        throw std::bad_alloc();
    const Orientation orientation = OrientationOf(*picture);
    const std::optional<HdrSignal> hdr = look.toneMap ? HdrSignalOf(*picture, streamColours) : std::nullopt;
    current = std::make_shared<const DecodedPicture>(std::move(picture), orientation, hdr, std::move(shaping));
    return current;
}

void VideoFrameSource::State::StartOver()
{
    current.reset();
    av_frame_unref(currentFrame.get());
    av_frame_unref(previousFrame.get());
    currentPosition = -1;
    av_frame_unref(ahead.get());
    aheadPosition = -1;
    decoderEnded = false;
}

Orientation VideoFrameSource::State::OrientationOf(const AVFrame& picture) const
{
    if (!look.upright)
        return {};
    return OrientationOfPicture(picture, streamMatrix ? streamMatrix->data() : nullptr);
}

// Makes the current picture the last one at or before `position`, reading no further than needed to know it.
void VideoFrameSource::State::AdvanceTo(std::int64_t position)
{
    while (true) {
        if (aheadPosition >= 0) {
            if (aheadPosition > position)
                return;
            av_frame_unref(previousFrame.get());
            if (look.shape.deinterlace)
                av_frame_move_ref(previousFrame.get(), currentFrame.get());
            av_frame_unref(currentFrame.get());
            av_frame_move_ref(currentFrame.get(), ahead.get());
            current.reset();
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
        ForgetUnknownColours(*ahead);
        aheadPosition = next;
    }
}

VideoFrameSource::VideoFrameSource() = default;
VideoFrameSource::~VideoFrameSource() = default;

VideoFrameSource::Status VideoFrameSource::Open(
    const QString& path, DecoderThreading decoderThreads, PictureLook look, const PictureIndex* seekIndex)
{
    Release();
    failureReason_.clear();
    auto state = std::make_unique<State>();
    if (!state->ahead || !state->currentFrame || !state->previousFrame)
        throw std::bad_alloc();
    state->look = look;
    std::unique_ptr<VideoFile> video = VideoFile::Open(path, failureReason_);
    if (!video)
        return Status::FileError;
    const AVStream& stream = video->Stream();
    if (const auto* matrix = reinterpret_cast<const std::int32_t*>(av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr))) {
        state->streamMatrix.emplace();
        std::copy_n(matrix, 9, state->streamMatrix->begin());
    }
    state->streamColours = StreamColoursOf(stream);
    state->streamAspect = stream.sample_aspect_ratio;
    if (video->NumbersChunks()) {
        state->rule = std::make_unique<ChunkPositions>(path, stream);
    } else if (seekIndex) {
        auto timestamps = std::make_unique<TimestampPositions>(*seekIndex);
        state->timestamps = timestamps.get();
        state->rule = std::move(timestamps);
    } else {
        state->rule = std::make_unique<PicturePositions>();
    }
    if (seekIndex)
        state->gate.emplace(*seekIndex, video->NumbersChunks());
    const int threads = decoderThreads.For(*stream.codecpar);
    if (!state->decode.Start(std::move(video), *state->rule, threads, failureReason_))
        return Status::NoDecompressor;
    if (state->gate)
        state->decode.SetGate(&*state->gate);
    state_ = std::move(state);
    return Status::Ok;
}

std::int32_t VideoFrameSource::StartPosition() const { return state_ ? state_->rule->StartPosition() : 0; }
std::optional<std::int32_t> VideoFrameSource::FrameCount() const
{
    return state_ ? state_->rule->Count() : std::optional<std::int32_t>(0);
}
int VideoFrameSource::DecoderThreads() const { return state_ ? state_->decode.DecoderThreads() : 1; }
double VideoFrameSource::ReadFraction() const
{
    return !state_ ? 0.0 : state_->decoderEnded ? 1.0 : state_->decode.ReadFraction();
}

std::shared_ptr<const DecodedPicture> VideoFrameSource::PictureAt(std::int32_t position)
{
    if (!state_)
        return nullptr;
    State& s = *state_;
    s.AdvanceTo(position);
    // Nothing before the first picture, nor past the last position the file holds.
    if (s.currentPosition < 0 || !s.rule->Holds(position, s.decoderEnded))
        return nullptr;
    return s.currentPosition == position || s.rule->RepeatsPictureBefore() ? s.Current() : nullptr;
}

bool VideoFrameSource::Exhausted() const
{
    return !state_ || (state_->decoderEnded && state_->aheadPosition < 0);
}

std::optional<std::int64_t> VideoFrameSource::FirstPicturePosition() const
{
    if (!state_ || state_->currentPosition >= 0 || state_->aheadPosition < 0)
        return std::nullopt;
    return state_->aheadPosition;
}

bool VideoFrameSource::ReadStretch(const PictureIndex::EntryPoint& entry, std::vector<std::int64_t> wanted)
{
    if (!state_ || !state_->gate || wanted.empty())
        return false;
    State& s = *state_;
    s.gate->Begin(entry, std::move(wanted));
    if (!s.decode.Seek(entry.timestamp))
        return false;
    s.StartOver();
    return true;
}

bool VideoFrameSource::StretchFailed() const
{
    return state_ && ((state_->gate && state_->gate->Failed()) || MetDamage() || (state_->timestamps && state_->timestamps->Broken()));
}

bool VideoFrameSource::MetDamage() const
{
    return state_ && state_->decode.MetDamage();
}

void VideoFrameSource::Release()
{
    state_.reset();
}
