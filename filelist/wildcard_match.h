#pragma once

#include <QString>

// Matches a file name against a listing pattern the way the Windows listing does: "*" stands for any
// run of characters, "?" for one, letters match regardless of case, and a pattern ending in ".*"
// also takes names without that extension, so "*.*" takes every name.
bool MatchesWildcard(const QString& name, const QString& pattern);
