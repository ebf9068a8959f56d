#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A span of time as the user writes it, kept exactly: "0.3" is three tenths of a second, never the
// double nearest to it. Whole nanoseconds, so at most nine decimals.
struct Seconds {
    std::int64_t nanoseconds = 0;
    auto operator<=>(const Seconds&) const = default;

    // Reads "90", "12.5", "1:30", "1:02:03.250" ([h:]mm:ss[.fff], minutes and seconds below 60 after a
    // colon). None for anything else: a sign, blanks, more than nine decimals, an absurd size.
    static std::optional<Seconds> Parse(const QString& text);
};

// Which frames of each video a run takes. Every rule chooses among the pictures whose time lies in
// [from, to) (all of them when neither is given), in position order; the frame-count choice then keeps
// the first of the chosen ones.
struct FrameSelection {
    enum class Rule {
        EveryFrame,  // all of them
        EveryNth,    // the first, then every n-th after it
        Interval,    // the first picture at or after from, from + s, from + 2s, ...
        Spread,      // n points evenly from the first picture's time to the last's
        KeyFrames,   // those the decoder marks as key frames
    };

    Rule rule = Rule::EveryFrame;
    std::int64_t count = 0;  // n of EveryNth and Spread
    Seconds interval;        // s of Interval
    std::optional<Seconds> from;
    std::optional<Seconds> to;

    // True for every frame without a range: the run then reads as it always has.
    bool TakesEverything() const { return rule == Rule::EveryFrame && !from && !to; }
    bool operator==(const FrameSelection&) const = default;
};
