#include "common/atomic_file.h"

#include "common/folder_failure.h"
#include "common/path_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

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

// Whether process `pid` of this machine still runs: its temporary files are its own to finish.
bool ProcessRuns(qint64 pid)
{
#ifdef _WIN32
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#endif
}

// The file is written through the system's own calls, whose error numbers tell a full disk or a
// read-only folder from a problem of one file.
#ifdef _WIN32
int CreateNew(const std::filesystem::path& name)
{
    return _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
long long WriteSome(int file, const std::uint8_t* data, std::size_t size)
{
    return _write(file, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
int CloseFile(int file)
{
    return _close(file);
}
#else
int CreateNew(const std::filesystem::path& name)
{
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long long WriteSome(int file, const std::uint8_t* data, std::size_t size)
{
    return ::write(file, data, std::min<std::size_t>(size, SSIZE_MAX));
}
int CloseFile(int file)
{
    return ::close(file);
}
#endif

std::error_code LastError()
{
    return std::error_code(errno, std::generic_category());
}

// Whether a cause lies with the folder: every other file written there would fail the same way.
// A name taken by a folder, a name too long, or too many open files belong to one file.
bool IsFolderCause(std::error_code cause)
{
#ifdef EDQUOT
    if (cause == std::error_code(EDQUOT, std::generic_category()))
        return true;
#endif
    for (const std::errc folderCause : {std::errc::no_space_on_device, std::errc::read_only_file_system,
             std::errc::permission_denied, std::errc::no_such_file_or_directory, std::errc::not_a_directory,
             std::errc::io_error}) {
        if (cause == folderCause)
            return true;
    }
    return false;
}

[[noreturn]] void Fail(const QString& path, std::error_code cause)
{
    const QString description = QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(cause.message().c_str()));
    if (IsFolderCause(cause))
        throw FolderFailure(Failure::kPermissionDenied, description);
    throw Failure(Failure::kPermissionDenied, description);
}

// The temporary file, removed again unless it was published under its final name: whatever fails
// on the way, memory included, leaves nothing behind.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& name) : name_(NativePath(name)) {}
    ~TemporaryFile()
    {
        if (!created_ || published_)
            return;
        if (file_ >= 0)
            CloseFile(file_);
        std::error_code ignored;
        std::filesystem::remove(name_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates it, never taking over a file of that name.
    std::error_code Create()
    {
        file_ = CreateNew(name_);
        created_ = file_ >= 0;
        return created_ ? std::error_code() : LastError();
    }

    // Writes the whole part. A write may take less than it was given, as when the disk fills up; the
    // cause comes only from the next write, so writing goes on until one fails.
    std::error_code Write(ByteSpan part)
    {
        const std::uint8_t* data = part.data();
        std::size_t left = part.size();
        while (left > 0) {
            const long long written = WriteSome(file_, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return LastError();
            data += written;
            left -= static_cast<std::size_t>(written);
        }
        return {};
    }

    // Some file systems (network ones) tell of a failed write only when the file is closed.
    std::error_code Close()
    {
        return CloseFile(std::exchange(file_, -1)) == 0 ? std::error_code() : LastError();
    }

    // Renames it over `path`, replacing a file of that name.
    std::error_code Publish(const QString& path)
    {
        std::error_code error;
        std::filesystem::rename(name_, NativePath(path), error);
        published_ = !error;
        return error;
    }

private:
    std::filesystem::path name_;
    int file_ = -1;
    bool created_ = false;
    bool published_ = false;
};

}  // namespace

int RemoveAbandonedTemporaryFiles(const QString& folder, const QString& prefix)
{
    static const QRegularExpression kTemporary(QStringLiteral("\\.(\\d+)-\\d+\\.partial$"));
    int removed = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.partial")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = kTemporary.match(name);
        if (!name.startsWith(prefix) || !match.hasMatch() || ProcessRuns(match.captured(1).toLongLong()))
            continue;
        removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
    }
    return removed;
}

void PublishFile(const QString& path, std::initializer_list<ByteSpan> parts)
{
    TemporaryFile temporary(TemporaryNameFor(path));
    if (const std::error_code error = temporary.Create())
        Fail(path, error);
    for (ByteSpan part : parts) {
        if (const std::error_code error = temporary.Write(part))
            Fail(path, error);
    }
    if (const std::error_code error = temporary.Close())
        Fail(path, error);
    if (const std::error_code error = temporary.Publish(path))
        Fail(path, error);
}
