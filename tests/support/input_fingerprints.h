#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What the input files of a run are before it starts (a SHA-256 of every regular file, the kind of
// anything else), so a test can show afterwards that the run left every input untouched.
class InputFingerprints {
public:
    explicit InputFingerprints(const QStringList& paths);

    // The inputs that are not what they were (changed, grown, gone), each with what was seen; empty
    // when every input is unchanged.
    QStringList Changed() const;

private:
    static QByteArray Fingerprint(const QString& path);
    QList<QPair<QString, QByteArray>> before_;
};
