#include "convert/run/output_stems.h"

QString OutputStems::Key(const QString& stem)
{
    // Where the file system ignores letter case, "Clip" and "clip" name the same files.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return stem.toCaseFolded();
#else
    return stem;
#endif
}

QString OutputStems::Claim(const QString& stem)
{
    QString candidate = stem;
    for (int n = 2; taken_.contains(Key(candidate)); ++n)
        candidate = stem + QStringLiteral(" (%1)").arg(n);
    taken_.insert(Key(candidate));
    return candidate;
}
