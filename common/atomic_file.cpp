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

// The temporary file, removed again unless it was published under its final name: whatever fails
// on the way, memory included, leaves nothing behind.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& name) : file_(name) {}
    ~TemporaryFile()
    {
        if (!created_ || published_)
            return;
        try {
            file_.close();
            file_.remove();
        } catch (const std::exception&) {
            // No memory even to remove it: the name ends in ".partial", never an image's final name.
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates it, never taking over a file of that name. Unbuffered: the parts are large, and a
    // failing write then reports its own cause.
    bool Create()
    {
        created_ = file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
        return created_;
    }
    QFile& File() { return file_; }
    void Published() { published_ = true; }

private:
    QFile file_;
    bool created_ = false;
    bool published_ = false;
};

}  // namespace

void PublishFile(const QString& path, std::initializer_list<ByteSpan> parts)
{
    TemporaryFile temporary(TemporaryNameFor(path));
    QFile& file = temporary.File();
    if (!temporary.Create())
        Fail(path, file.errorString());
    for (ByteSpan part : parts) {
        if (!WriteAll(file, part))
            Fail(path, file.errorString());
    }
    file.close();
    std::error_code error;
    std::filesystem::rename(NativePath(file.fileName()), NativePath(path), error);
    if (error)
        Fail(path, QString::fromStdString(error.message()));
    temporary.Published();
}
