#include "input_fingerprints.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

InputFingerprints::InputFingerprints(const QStringList& paths)
{
    for (const QString& path : paths)
        before_.append({path, Fingerprint(path)});
}

QByteArray InputFingerprints::Fingerprint(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "symlink to " + info.symLinkTarget().toUtf8();
    if (!info.exists())
        return "missing";
    // Only regular files are read: opening a pipe or a device could block or never end.
    if (!info.isFile())
        return "not a regular file";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "unreadable: " + file.errorString().toUtf8();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return "unreadable: " + file.errorString().toUtf8();
    return "sha256 " + hash.result().toHex() + " permissions " + QByteArray::number(int(info.permissions()), 16);
}

QStringList InputFingerprints::Changed() const
{
    QStringList changed;
    for (const auto& [path, fingerprint] : before_) {
        const QByteArray now = Fingerprint(path);
        if (now != fingerprint)
            changed << QStringLiteral("%1: was %2, now %3").arg(path, QString::fromUtf8(fingerprint), QString::fromUtf8(now));
    }
    return changed;
}
