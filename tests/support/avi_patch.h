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
    void Save() const;

private:
    QString path_;
    QByteArray bytes_;
};
