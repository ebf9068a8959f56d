#include "convert/source/decoded_index.h"

#include "convert/source/decode_loop.h"
#include "convert/source/picture_positions.h"

#include <new>

std::optional<PictureIndex> IndexByDecoding(std::unique_ptr<VideoFile> video, DecoderThreading threads)
{
    const AVStream& stream = video->Stream();
    PictureIndex index;
    index.timeBase = stream.time_base;
    const int decoderThreads = threads.For(*stream.codecpar);
    PicturePositions rule;
    DecodeLoop decode;
    QString reason;
    if (!decode.Start(std::move(video), rule, decoderThreads, reason))
        return std::nullopt;
    FramePtr picture(av_frame_alloc());
    if (!picture)
        throw std::bad_alloc();
    std::optional<std::int64_t> origin;
    std::int64_t last = 0;
    std::int64_t position = 0;
    while (decode.Next(picture.get(), position)) {
        const std::int64_t timestamp = picture->best_effort_timestamp;
        if (timestamp != AV_NOPTS_VALUE) {
            if (!origin)
                origin = timestamp;
            last = timestamp - *origin;
        }
        index.pictures.push_back({last, picture->key_frame != 0});
        av_frame_unref(picture.get());
    }
    index.origin = origin.value_or(0);
    return index;
}
