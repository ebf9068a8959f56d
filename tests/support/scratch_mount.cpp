#include "scratch_mount.h"

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

namespace {

QString Reason(const char* what)
{
    return QStringLiteral("%1 is not permitted here (%2)").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

std::optional<ScratchMount> ScratchMount::SmallDisk(const QString& folder, long long bytes, QString& why)
{
    const QByteArray target = QFile::encodeName(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (mount("tmpfs", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0) {
        why = Reason("mounting a tmpfs");
        return std::nullopt;
    }
    return ScratchMount(folder);
}

std::optional<ScratchMount> ScratchMount::ReadOnly(const QString& folder, QString& why)
{
    // A read-only view is made away from the folder, where nothing is writing (a mount with files
    // open for writing cannot become read-only), and then put over it in one step.
    QTemporaryDir staging;
    const QByteArray view = QFile::encodeName(staging.path());
    const QByteArray target = QFile::encodeName(folder);
    if (mount(target.constData(), view.constData(), nullptr, MS_BIND, nullptr) != 0) {
        why = Reason("a bind mount");
        return std::nullopt;
    }
    const bool readOnly = mount(nullptr, view.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    if (!readOnly)
        why = Reason("remounting read-only");
    const bool placed = readOnly && mount(view.constData(), target.constData(), nullptr, MS_BIND, nullptr) == 0;
    if (readOnly && !placed)
        why = Reason("a bind mount over the folder");
    umount2(view.constData(), MNT_DETACH);
    if (!placed)
        return std::nullopt;
    return ScratchMount(folder);
}

ScratchMount::~ScratchMount()
{
    // Detached, so a file a test still holds open cannot keep the mount in place.
    if (!folder_.isEmpty())
        umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}
