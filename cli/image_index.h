#pragma once

#include "convert/run/conversion_host.h"

#include <QString>

#include <optional>

// The --index file: one CSV row per image written (image,video,position,time_s,key_frame), fields
// quoted as RFC 4180 says, a header first when the file is new. Each row goes to the file's end in one
// write, so that runs sharing the file (one per machine) never interleave their rows.
class ImageIndex {
public:
    ~ImageIndex();
    ImageIndex(const ImageIndex&) = delete;
    ImageIndex& operator=(const ImageIndex&) = delete;
    ImageIndex(ImageIndex&& other) noexcept;
    ImageIndex& operator=(ImageIndex&& other) noexcept;

    // Opens `path` for appending, made with its header when there is none; none when it cannot be
    // written, with `error` saying why.
    static std::optional<ImageIndex> Open(const QString& path, QString& error);
    // False when the row could not be written whole.
    bool Append(const WrittenImage& image);

    // The row for `image`, line break included. The time in seconds as an exact decimal, rounded to
    // six places.
    static QByteArray Row(const WrittenImage& image);

private:
    explicit ImageIndex(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};
