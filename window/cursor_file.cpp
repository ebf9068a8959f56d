#include "window/cursor_file.h"

#include "common/failure.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace {

constexpr int kInvalidPicture = 481;

// The file opens with a 6-byte directory header (reserved 0, type 2 for cursors, image count),
// followed by 16-byte entries whose bytes 4 to 7 hold the hot spot's x and y.
constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr quint16 kCursorType = 2;

[[noreturn]] void Refuse(const QString& path, const QString& why)
{
    throw Failure(kInvalidPicture, QStringLiteral("Invalid picture: ") + path + QStringLiteral(" (") + why + QLatin1Char(')'));
}

}  // namespace

QCursor LoadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Refuse(path, file.errorString());
    QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < kHeaderSize + kEntrySize || qFromLittleEndian<quint16>(data) != 0
        || qFromLittleEndian<quint16>(data + 2) != kCursorType || qFromLittleEndian<quint16>(data + 4) == 0)
        Refuse(path, QStringLiteral("not a cursor file"));
    const int hotX = qFromLittleEndian<quint16>(data + kHeaderSize + 4);
    const int hotY = qFromLittleEndian<quint16>(data + kHeaderSize + 6);

    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull())
        Refuse(path, reader.errorString());
    return QCursor(QPixmap::fromImage(image), qBound(0, hotX, image.width() - 1), qBound(0, hotY, image.height() - 1));
}
