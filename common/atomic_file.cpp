#include "common/atomic_file.h"

#include "common/failure.h"
#include "common/path_helpers.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace {

// The longest file name common file systems take, in bytes as the name is stored.
constexpr qsizetype kMaxNameBytes = 255;

QString TemporaryNameFor(const QString& path)
{
    // Unique within the process and distinct from every final name the program writes.
    static std::atomic<unsigned> counter{0};
    const QString suffix = QStringLiteral(".%1-%2.partial")
                               .arg(QCoreApplication::applicationPid())
                               .arg(counter.fetch_add(1, std::memory_order_relaxed));
    // Named after the final file; a final name near the length limit is shortened so that the
    // temporary one still fits, or a name that can be written could not be published.
    QString name = FileNameOfPath(path);
    const QString folder = path.left(path.size() - name.size());
    while (!name.isEmpty() && QFile::encodeName(name + suffix).size() > kMaxNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return folder + name + suffix;
}

// Writes the whole part. A write may take less than it was given, as when the disk fills up; the
// cause ("No space left on device") comes only from the next write, so writing goes on until one fails.
bool WriteAll(QFile& file, ByteSpan part)
{
    const char* data = reinterpret_cast<const char*>(part.data());
    auto left = static_cast<qint64>(part.size());
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

[[noreturn]] void Fail(const QString& path, const QString& cause)
{
    throw Failure(Failure::kPermissionDenied, QStringLiteral("Cannot write %1: %2").arg(path, cause));
}

}  // namespace

void PublishFile(const QString& path, std::initializer_list<ByteSpan> parts)
{
    const QString temporary = TemporaryNameFor(path);
    QFile file(temporary);
    // Unbuffered: the parts are large, and a failing write then reports its own cause.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        Fail(path, file.errorString());
    for (ByteSpan part : parts) {
        if (!WriteAll(file, part)) {
            const QString cause = file.errorString();
            file.close();
            file.remove();
            Fail(path, cause);
        }
    }
    file.close();
    std::error_code error;
    std::filesystem::rename(NativePath(temporary), NativePath(path), error);
    if (error) {
        QFile::remove(temporary);
        Fail(path, QString::fromStdString(error.message()));
    }
}
