#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a program run to its end went, with the peak memory of that one process.
struct MeasuredRun {
    bool finished = false;  // false: it outlived the time allowed and was killed
    int exitCode = -1;
    long peakResidentKib = 0;
    QByteArray out;
    QByteArray err;
};

// Runs `program` to its end (bounded in time) and reads its peak resident memory from the kernel's
// account of that process. A small launcher starts it: a process started straight from a large one
// (a test) is charged with its parent's memory at the moment it was started.
MeasuredRun RunMeasured(const QString& program, const QStringList& arguments, int timeoutMs = 120000);
