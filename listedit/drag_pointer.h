#pragma once

#include <QCursor>
#include <QString>

#include <optional>

// The pointer shown while an entry is carried through the list: "drag.ico" in the program's folder,
// read afresh each time; none when the file is missing or unreadable.
std::optional<QCursor> LoadDragPointer(const QString& programFolder);
