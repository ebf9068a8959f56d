#include "avi_patch.h"

#include <QFile>
#include <QtEndian>

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
