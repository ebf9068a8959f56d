#pragma once

#include <QString>
#include <QStringList>

// Every file in `folder` whose name ends in "." + `extension` (the final names a run writes, not its
// temporary ones), read whole by an independent decoder (Pillow, which refuses a truncated file).
// Answers what is wrong with each file that is not a complete width x height image; empty when all are.
QStringList IncompleteImages(const QString& folder, const QString& extension, int width, int height);
