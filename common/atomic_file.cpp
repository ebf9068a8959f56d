#include "common/atomic_file.h"

#include "common/failure.h"
#include "common/path_helpers.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace {

QString TemporaryNameFor(const QString& path)
{
    // Unique within the process and distinct from every final name the program writes.
    static std::atomic<unsigned> counter{0};
    return path + QStringLiteral(".%1-%2.partial")
                      .arg(QCoreApplication::applicationPid())
                      .arg(counter.fetch_add(1, std::memory_order_relaxed));
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        Fail(path, file.errorString());
    for (ByteSpan part : parts) {
        const auto size = static_cast<qint64>(part.size());
        if (size > 0 && file.write(reinterpret_cast<const char*>(part.data()), size) != size) {
            const QString cause = file.errorString();
            file.close();
            file.remove();
            Fail(path, cause);
        }
    }
    if (!file.flush()) {
        const QString cause = file.errorString();
        file.close();
        file.remove();
        Fail(path, cause);
    }
    file.close();
    std::error_code error;
    std::filesystem::rename(NativePath(temporary), NativePath(path), error);
    if (error) {
        QFile::remove(temporary);
        Fail(path, QString::fromStdString(error.message()));
    }
}
