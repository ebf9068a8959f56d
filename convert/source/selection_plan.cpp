#include "convert/source/selection_plan.h"

#include <algorithm>

namespace {

// Products of 64-bit ticks and 32-bit time-base terms with 10^9 stay far inside 127 bits.
using Wide = __int128;
constexpr Wide kNanosecondsPerSecond = 1'000'000'000;
// Beyond every time: ticks and nanoseconds both stay below 2^63, time-base terms below 2^31.
constexpr Wide kEndless = Wide{1} << 126;

Wide FloorDivide(Wide numerator, Wide denominator)
{
    const Wide quotient = numerator / denominator;
    return quotient * denominator > numerator ? quotient - 1 : quotient;
}

// Picture times and the user's times in one unit: nanoseconds times the time base's denominator, so
// that comparing them needs no division.
class Clock {
public:
    explicit Clock(AVRational timeBase) : num_(timeBase.num), den_(timeBase.den) {}
    Wide OfTicks(std::int64_t ticks) const { return Wide{ticks} * num_ * kNanosecondsPerSecond; }
    Wide OfSeconds(Seconds seconds) const { return Wide{seconds.nanoseconds} * den_; }
    Wide OfSeconds(const std::optional<Seconds>& seconds, Wide without) const { return seconds ? OfSeconds(*seconds) : without; }

private:
    std::int64_t num_;
    std::int64_t den_;
};

// The pictures of R, as indices into the index's list, with their times on the clock.
struct Range {
    std::vector<std::size_t> pictures;
    std::vector<Wide> times;
};

Range PicturesInRange(const PictureIndex& index, const FrameSelection& selection, const Clock& clock)
{
    const Wide from = clock.OfSeconds(selection.from, -kEndless);
    const Wide to = clock.OfSeconds(selection.to, kEndless);
    Range range;
    for (std::size_t i = 0; i < index.pictures.size(); ++i) {
        const Wide time = clock.OfTicks(index.pictures[i].time);
        if (time < from || time >= to)
            continue;
        range.pictures.push_back(i);
        range.times.push_back(time);
    }
    return range;
}

// The first picture of R, in position order, at or after each of a row of increasing points, each
// picture once. `reaches(t)`: the current point is at or before time t (false once no point is left);
// `passes(t)`: makes the current point the first beyond t. The first picture at or after a later point
// never comes before that of an earlier one, so one pass over R serves every point.
template <class Reaches, class Passes>
std::vector<std::size_t> FirstPicturesAtOrAfter(const Range& range, Reaches reaches, Passes passes)
{
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < range.times.size(); ++i) {
        if (!reaches(range.times[i]))
            continue;
        chosen.push_back(range.pictures[i]);
        passes(range.times[i]);
    }
    return chosen;
}

std::vector<std::size_t> EveryInterval(const Range& range, const FrameSelection& selection, const Clock& clock)
{
    if (range.times.empty() || selection.interval.nanoseconds <= 0)
        return {};
    const Wide from = clock.OfSeconds(selection.from.value_or(Seconds{}));
    const Wide step = clock.OfSeconds(selection.interval);
    const Wide to = clock.OfSeconds(selection.to, kEndless);
    const Wide last = range.times.back();
    const auto within = [&](Wide point) { return point < to && point <= last; };
    Wide point = from;  // from + k s
    bool left = within(point);
    return FirstPicturesAtOrAfter(
        range, [&](Wide time) { return left && time >= point; },
        [&](Wide time) {
            point = from + (FloorDivide(time - from, step) + 1) * step;
            left = within(point);
        });
}

std::vector<std::size_t> Spread(const Range& range, std::int64_t count)
{
    if (range.times.empty() || count < 1)
        return {};
    const Wide first = range.times.front();
    const Wide span = range.times.back() - first;
    if (count == 1 || span <= 0)
        return {range.pictures.front()};
    // Point i is first + span i / steps: compared after multiplying by steps, so without division.
    const Wide steps = count - 1;
    Wide point = 0;  // i
    return FirstPicturesAtOrAfter(
        range, [&](Wide time) { return point <= steps && (time - first) * steps >= point * span; },
        [&](Wide time) { point = FloorDivide((time - first) * steps, span) + 1; });
}

}  // namespace

std::vector<std::int64_t> PlanSelection(const PictureIndex& index, const FrameSelection& selection, std::int64_t most)
{
    const Clock clock(index.timeBase);
    const Range range = PicturesInRange(index, selection, clock);
    std::vector<std::size_t> chosen;
    switch (selection.rule) {
    case FrameSelection::Rule::EveryFrame: chosen = range.pictures; break;
    case FrameSelection::Rule::EveryNth:
        for (std::size_t i = 0; selection.count > 0 && i < range.pictures.size(); i += static_cast<std::size_t>(selection.count))
            chosen.push_back(range.pictures[i]);
        break;
    case FrameSelection::Rule::Interval: chosen = EveryInterval(range, selection, clock); break;
    case FrameSelection::Rule::Spread: chosen = Spread(range, selection.count); break;
    case FrameSelection::Rule::KeyFrames:
        std::copy_if(range.pictures.begin(), range.pictures.end(), std::back_inserter(chosen),
            [&](std::size_t i) { return index.pictures[i].key; });
        break;
    }
    if (most >= 0 && static_cast<std::size_t>(most) < chosen.size())
        chosen.resize(static_cast<std::size_t>(most));
    std::vector<std::int64_t> positions;
    positions.reserve(chosen.size());
    for (const std::size_t i : chosen)
        positions.push_back(index.firstPosition + static_cast<std::int64_t>(i));
    return positions;
}
