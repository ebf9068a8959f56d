#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Rewrites fields of an AVI file's headers in place, to make files whose headers lie.
class AviPatch {
public:
    explicit AviPatch(const QString& path);
    // Sets the 32-bit little-endian value at `offset` bytes into the data of the first chunk `fourcc`.
    void Set32(const char* fourcc, int offset, std::uint32_t value);
    // Replaces every occurrence of a four-character code.
    void ReplaceFourcc(const char* from, const char* to);
    // Where chunk `fourcc` starts (its four-character code), counted from the file's start, looking
    // from `from` on; `skip` passes over that many earlier chunks of the same code.
    qsizetype ChunkOffset(const char* fourcc, int skip = 0, qsizetype from = 0) const;
    // Keeps the first `size` bytes only. `fixRiffSize` makes the RIFF header say so, as for a file
    // written that way rather than cut off.
    void Truncate(qsizetype size, bool fixRiffSize);
    // Appends `count` empty chunks of the first stream to the end of the `movi` list and to `idx1`, as a
    // capture tool writes frames it dropped, and raises the header's frame counts by as many.
    void AppendEmptyVideoChunks(int count);
    // Overwrites the data of the `index`-th chunk of the first stream with noise from `from` (a share of
    // its length) to its end, as a damaged disk or transfer leaves it.
    void ScrambleVideoChunk(int index, double from);
    // Sets the 32-bit little-endian value at `offset` bytes into the file.
    void Set32At(qsizetype offset, std::uint32_t value);
    void Save() const;

    std::uint32_t Get32At(qsizetype offset) const;

private:
    QString path_;
    QByteArray bytes_;
};
