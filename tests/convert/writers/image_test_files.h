#pragma once

#include "convert/writers/output_format.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <string>

// Small helpers shared by the image encoder tests.

// Every name in `folder`, hidden ones included, sorted: what a test expects to find after writing.
inline QStringList EntriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// "frame.png" for PNG and so on.
inline QString FileNameFor(const QString& stem, OutputFormat format)
{
    return stem + QLatin1Char('.') + ExtensionOf(format);
}

// A test name part for a format: "PNG".
inline std::string FormatName(OutputFormat format)
{
    return ExtensionOf(format).toUpper().toStdString();
}
