#pragma once

#include <QString>
#include <QStringList>

// The fixed key of the stored sample record.
inline constexpr char kSampleSnapshotKey[] = "marigold";

// The value to store as the sample record on first start: the full paths of the files in the
// Samples folder inside the program's folder, in listing order, joined by "|", scrambled with the
// key. No files give the scrambled empty text, which is empty.
QString SampleSnapshotValue(const QString& programFolder);

// The recorded sample paths to append to the list: those that still exist and are not listed yet
// (a path recorded twice is appended once), in recorded order.
QStringList SampleVideosToLoad(const QString& storedSnapshot, const QStringList& listedEntries);
