#include "avi_patch.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <stdexcept>

AviPatch::AviPatch(const QString& path) : path_(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    bytes_ = file.readAll();
}

void AviPatch::Set32(const char* fourcc, int offset, std::uint32_t value)
{
    Set32At(ChunkOffset(fourcc) + 8 + offset, value);
}

qsizetype AviPatch::ChunkOffset(const char* fourcc, int skip, qsizetype from) const
{
    qsizetype chunk = bytes_.indexOf(QByteArray(fourcc, 4), from);
    for (int i = 0; i < skip && chunk >= 0; ++i)
        chunk = bytes_.indexOf(QByteArray(fourcc, 4), chunk + 4);
    if (chunk < 0)
        throw std::runtime_error(std::string("no chunk ") + fourcc);
    return chunk;
}

void AviPatch::Truncate(qsizetype size, bool fixRiffSize)
{
    bytes_.truncate(size);
    if (fixRiffSize)
        Set32At(4, static_cast<std::uint32_t>(bytes_.size() - 8));
}

void AviPatch::Set32At(qsizetype offset, std::uint32_t value)
{
    if (offset < 0 || offset + 4 > bytes_.size())
        throw std::runtime_error("offset " + std::to_string(offset) + " is outside the file");
    qToLittleEndian<quint32>(value, bytes_.data() + offset);
}

void AviPatch::ReplaceFourcc(const char* from, const char* to)
{
    bytes_.replace(QByteArray(from, 4), QByteArray(to, 4));
}

void AviPatch::Save() const
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes_) != bytes_.size())
        throw std::runtime_error("cannot write " + path_.toStdString());
}

std::uint32_t AviPatch::Get32At(qsizetype offset) const
{
    if (offset < 0 || offset + 4 > bytes_.size())
        throw std::runtime_error("offset " + std::to_string(offset) + " is outside the file");
    return qFromLittleEndian<quint32>(bytes_.constData() + offset);
}

void AviPatch::AppendEmptyVideoChunks(int count)
{
    const qsizetype movi = ChunkOffset("movi");  // the list's type; its size field is 4 bytes before
    const qsizetype moviEnd = movi + Get32At(movi - 4);
    const qsizetype index = ChunkOffset("idx1", 0, moviEnd);
    const quint32 firstEntryOffset = Get32At(index + 8 + 8);
    // idx1 offsets count from the `movi` type, or, in some files, from the file's start.
    const qsizetype base = firstEntryOffset < movi ? movi : 0;

    QByteArray chunks;
    QByteArray entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = moviEnd + 8 * i;
        chunks += QByteArray("00dc", 4) + QByteArray(4, '\0');
        QByteArray entry(16, '\0');
        std::memcpy(entry.data(), "00dc", 4);
        qToLittleEndian<quint32>(static_cast<quint32>(at - base), entry.data() + 8);
        entries += entry;
    }
    const qsizetype indexEnd = index + 8 + Get32At(index + 4);
    bytes_.insert(indexEnd, entries);
    bytes_.insert(moviEnd, chunks);
    Set32At(movi - 4, Get32At(movi - 4) + 8 * count);
    const qsizetype movedIndex = index + chunks.size();
    Set32At(movedIndex + 4, Get32At(movedIndex + 4) + 16 * count);
    Set32At(4, Get32At(4) + static_cast<std::uint32_t>(chunks.size() + entries.size()));
    Set32("avih", 16, Get32At(ChunkOffset("avih") + 8 + 16) + count);
    Set32("strh", 32, Get32At(ChunkOffset("strh") + 8 + 32) + count);
}

void AviPatch::ScrambleVideoChunk(int index, double from)
{
    const qsizetype chunk = ChunkOffset("00dc", index, ChunkOffset("movi"));
    const qsizetype size = Get32At(chunk + 4);
    for (qsizetype i = chunk + 8 + qsizetype(from * double(size)); i < chunk + 8 + size; ++i)
        bytes_[i] = static_cast<char>((i * 37) & 0xff);
}
