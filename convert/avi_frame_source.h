#pragma once


#include "convert/thread_budget.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class DecodedPicture;

// The first video stream of an AVI file, decoded picture by picture.
// Frames are decoded once, in order, without seeking: positions must be asked for in increasing order.
// Position n is the stream's n-th chunk. A chunk that is empty (a dropped frame) repeats the picture
// before it, also after the last picture; positions before the first picture or past the last chunk
// the file holds have none.
class AviFrameSource {
public:
    enum class Status {
        Ok,
        FileError,       // missing, not an AVI, no video stream, unusable header
        NoDecompressor,  // no decoder can open the stream
    };

    AviFrameSource();
    ~AviFrameSource();
    AviFrameSource(const AviFrameSource&) = delete;
    AviFrameSource& operator=(const AviFrameSource&) = delete;

    // Decodes on the threads `budget` gives pictures of the stream's size. Throws std::bad_alloc when
    // memory runs out, as every member may.
    Status Open(const QString& path, const ThreadBudget& budget = ThreadBudgetFor(0));

    std::int32_t StartPosition() const;
    std::int32_t FrameCount() const;  // from the AVI header
    int Width() const;
    int Height() const;
    // Threads the decoder really works with.
    int DecoderThreads() const;

    // The picture at `position`, or null when that position has no picture.
    std::shared_ptr<const DecodedPicture> PictureAt(std::int32_t position);
    // True once the last picture has been read: a position that then has no picture is past the last
    // chunk the file holds, and so is every later one.
    bool Exhausted() const;
    // While no position has had a picture yet: where the first picture belongs, once a request has
    // found it. Every position before it has none, so a caller can skip them at once (a header may
    // number its first chunk far beyond 0).
    std::optional<std::int64_t> FirstPicturePosition() const;

    // Releases the decoder and the file; the source can then be opened again.
    void Release();

private:
    struct State;
    std::unique_ptr<State> state_;
};
