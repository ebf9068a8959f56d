#pragma once

#include "convert/output_format.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct CommandLine {
    QString frameChoice;      // one of the frame-count choices
    QString xAnswer;          // the answer to the x prompt, for --frames N
    OutputFormat format = OutputFormat::JPG;
    int quality = 85;
    QString outputFolder;
    QStringList files;
};

// Parses the arguments after the program's name. On a mistake answers none and sets `error`.
std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error);

QString Usage();
