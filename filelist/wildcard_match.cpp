#include "filelist/wildcard_match.h"

namespace {

bool SameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Greedy match with a single backtrack point: the last "*" seen absorbs one more character
// whenever the rest fails, which is enough because "*" matches any run.
bool GlobMatches(QStringView name, QStringView pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starInPattern = -1;
    qsizetype nameAfterStar = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starInPattern = p++;
            nameAfterStar = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || SameLetter(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (starInPattern >= 0) {
            p = starInPattern + 1;
            n = ++nameAfterStar;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesWildcard(const QString& name, const QString& pattern)
{
    if (GlobMatches(name, pattern))
        return true;
    const QLatin1String anyExtension(".*");
    return pattern.endsWith(anyExtension) && GlobMatches(name, QStringView(pattern).chopped(anyExtension.size()));
}
