#include "cli/image_index.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray kHeader = QByteArrayLiteral("image,video,position,time_s,key_frame\r\n");

// A field as RFC 4180 writes it: in quotes, with quotes doubled, when it holds a comma, a quote or a
// line break.
QByteArray Field(const QString& text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace("\"", "\"\"") + '"';
    return field;
}

// ticks × num / den seconds, rounded half away from zero to millionths.
QByteArray Decimal(std::int64_t ticks, AVRational timeBase)
{
    using Wide = __int128;
    const Wide numerator = Wide{ticks} * timeBase.num * 1'000'000 * 2;
    const Wide denominator = Wide{timeBase.den} * 2;
    Wide micro = (numerator >= 0 ? numerator + denominator / 2 : numerator - denominator / 2) / denominator;
    const bool negative = micro < 0;
    if (negative)
        micro = -micro;
    const auto whole = static_cast<unsigned long long>(micro / 1'000'000);
    const auto fraction = static_cast<unsigned long long>(micro % 1'000'000);
    return QByteArray(negative ? "-" : "") + QByteArray::number(whole) + '.' + QByteArray::number(fraction).rightJustified(6, '0');
}

int OpenForAppending(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
}

}  // namespace

ImageIndex::~ImageIndex()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

ImageIndex::ImageIndex(ImageIndex&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

ImageIndex& ImageIndex::operator=(ImageIndex&& other) noexcept
{
    std::swap(descriptor_, other.descriptor_);
    return *this;
}

std::optional<ImageIndex> ImageIndex::Open(const QString& path, QString& error)
{
    const auto failed = [&](const QString& why) {
        error = QStringLiteral("--index %1: %2").arg(path, why);
        return std::nullopt;
    };
    int descriptor = OpenForAppending(path);
    if (descriptor < 0 && errno == ENOENT) {
        // A new file comes into being with its header, whole: made aside, then linked into place, which
        // fails when another run made it first.
        QTemporaryFile made(QFileInfo(path).absolutePath() + QStringLiteral("/.index-XXXXXX"));
        if (!made.open() || made.write(kHeader) != kHeader.size() || !made.flush())
            return failed(made.errorString());
        if (::link(QFile::encodeName(made.fileName()).constData(), QFile::encodeName(path).constData()) != 0 && errno != EEXIST)
            return failed(QString::fromLocal8Bit(std::strerror(errno)));
        descriptor = OpenForAppending(path);
    }
    if (descriptor < 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    return ImageIndex(descriptor);
}

QByteArray ImageIndex::Row(const WrittenImage& image)
{
    return Field(image.path) + ',' + Field(image.video) + ',' + QByteArray::number(static_cast<qlonglong>(image.position)) + ','
        + Decimal(image.time, image.timeBase) + ',' + (image.key ? '1' : '0') + "\r\n";
}

bool ImageIndex::Append(const WrittenImage& image)
{
    const QByteArray row = Row(image);
    // One write with O_APPEND lands whole at the end, whoever else appends to the file.
    const ssize_t written = ::write(descriptor_, row.constData(), static_cast<std::size_t>(row.size()));
    return written == row.size();
}
