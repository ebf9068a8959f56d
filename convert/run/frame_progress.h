#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What the frame bar shows while one video's frames are taken: a text and a value in percent that
// never goes back nor beyond 100. With a known total (an AVI header's count, or the user's limit) the
// text counts against it; a video whose pictures are counted only as they come shows how much of its
// file has been read. A video that runs out of pictures before the total says in the end how many
// frames it really gave.
class FrameProgress {
public:
    // `kept`: images there already, which the total leaves out and the text tells apart.
    explicit FrameProgress(std::optional<std::int32_t> total, std::int64_t kept = 0) : total_(total), kept_(kept) {}

    // Before the frame numbered `frame` (from 1) is taken.
    QString Text(std::int64_t frame) const;
    // Before the frame numbered `frame` (from 1) is taken, `readFraction` of the file having been read.
    double Value(std::int64_t frame, double readFraction);

    // The video has run out of pictures after `taken` frames: the text that states them; none when
    // there were none.
    static std::optional<QString> EndText(std::int64_t taken);

private:
    std::optional<std::int32_t> total_;
    std::int64_t kept_;
    double shown_ = 0.0;
};
