#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The paths of a --files-from list ("-": standard input): one a line, a line's closing carriage return
// dropped, or each ended by a NUL character; empty entries skipped. None when the list cannot be read,
// with `error` naming it and saying why.
std::optional<QStringList> ReadPathList(const QString& list, bool nulSeparated, QString& error);
