#include "bmp_file.h"

#include <QFile>
#include <QtEndian>

std::optional<BmpImage> ReadBmp(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 54 || !bytes.startsWith("BM"))
        return std::nullopt;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    BmpImage image;
    image.width = qFromLittleEndian<qint32>(data + 18);
    image.height = qFromLittleEndian<qint32>(data + 22);
    const quint32 offset = qFromLittleEndian<quint32>(data + 10);
    if (image.width <= 0 || image.height <= 0 || qFromLittleEndian<quint16>(data + 28) != 24)
        return std::nullopt;
    const qsizetype stride = (qsizetype(image.width) * 3 + 3) & ~qsizetype(3);
    if (qint64(offset) + stride * image.height > bytes.size())
        return std::nullopt;
    for (int y = image.height - 1; y >= 0; --y)
        image.topDownBgr.append(bytes.constData() + offset + qsizetype(y) * stride, qsizetype(image.width) * 3);
    return image;
}
