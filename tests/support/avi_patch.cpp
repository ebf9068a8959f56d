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
    const qsizetype chunk = bytes_.indexOf(QByteArray(fourcc, 4));
    if (chunk < 0 || chunk + 8 + offset + 4 > bytes_.size())
        throw std::runtime_error(std::string("no chunk ") + fourcc);
    qToLittleEndian<quint32>(value, bytes_.data() + chunk + 8 + offset);
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
