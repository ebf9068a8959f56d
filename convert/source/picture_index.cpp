#include "convert/source/picture_index.h"

#include <algorithm>

std::optional<std::int64_t> PictureIndex::PositionOfTimestamp(std::int64_t timestamp) const
{
    const std::int64_t time = timestamp - origin;
    const auto found = std::lower_bound(pictures.begin(), pictures.end(), time,
        [](const Picture& picture, std::int64_t wanted) { return picture.time < wanted; });
    if (found == pictures.end() || found->time != time)
        return std::nullopt;
    return firstPosition + (found - pictures.begin());
}

const PictureIndex::EntryPoint* PictureIndex::EntryPointFor(std::int64_t position) const
{
    const auto after = std::upper_bound(entryPoints.begin(), entryPoints.end(), position,
        [](std::int64_t wanted, const EntryPoint& entry) { return wanted < entry.position; });
    return after == entryPoints.begin() ? nullptr : &*(after - 1);
}
