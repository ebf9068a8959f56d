#pragma once

#include <QCursor>
#include <QString>

// Loads a Windows cursor file (.cur) with its hot spot. Throws Failure when the file is not a cursor
// the program can read.
QCursor LoadCursorFile(const QString& path);
