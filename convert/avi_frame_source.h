#pragma once


#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class DecodedPicture;

// The first video stream of an AVI file, decoded picture by picture.
// Frames are decoded once, in order, without seeking: positions must be asked for in increasing order.
// Position n is the stream's n-th chunk. A chunk that is empty (a dropped frame) repeats the picture
// before it; positions before the first picture or past the end of a truncated file have none.
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

    Status Open(const QString& path);

    std::int32_t StartPosition() const;
    std::int32_t FrameCount() const;  // from the AVI header
    int Width() const;
    int Height() const;

    // The picture at `position`, or null when that position has no picture.
    std::shared_ptr<const DecodedPicture> PictureAt(std::int32_t position);
    // True once no later position can have a picture of its own or a repeated one.
    bool Exhausted() const;
    // While no position has had a picture yet: where the first picture belongs, once a request has
    // found it. Every position before it has none, so a caller can skip them at once (a header may
    // number its first chunk far beyond 0).
    std::optional<std::int64_t> FirstPicturePosition() const;

    // Releases the decoder and the file; the source can then be opened again.
    void Release();

    // Frames larger than this are refused when opening, before anything of that size is allocated.
    static constexpr int kMaxDimension = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 27;

private:
    struct State;
    std::unique_ptr<State> state_;
};
