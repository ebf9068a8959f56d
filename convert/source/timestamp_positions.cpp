#include "convert/source/timestamp_positions.h"

std::int64_t TimestampPositions::PositionOfNextPicture(const AVFrame& picture)
{
    const std::optional<std::int64_t> position = picture.best_effort_timestamp == AV_NOPTS_VALUE
        ? std::nullopt
        : index_.PositionOfTimestamp(picture.best_effort_timestamp);
    if (!position || *position <= last_) {
        broken_ = true;
        return -1;
    }
    const PictureIndex::Picture& indexed = index_.pictures[static_cast<std::size_t>(*position - index_.firstPosition)];
    if (indexed.key != (picture.key_frame != 0))
        broken_ = true;
    last_ = *position;
    return *position;
}
