#pragma once

#include "convert/picture/picture_shape.h"
#include "convert/run/image_names.h"
#include "convert/source/frame_selection.h"
#include "convert/writers/output_format.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct CommandLine {
    enum class Request { Convert, Help, Version };
    static constexpr unsigned kMostThreads = 256;

    Request request = Request::Convert;
    QString frameChoice;      // one of the frame-count choices
    QString xAnswer;          // the answer to the x prompt, for --frames N
    OutputFormat format = OutputFormat::JPG;
    int quality = 85;
    unsigned threads = 0;     // 0: one for each of the machine's cores
    QString outputFolder;
    QStringList files;        // the videos, in the order they are converted
    QStringList fileLists;    // --files-from, in the order given; "-" is standard input
    bool nulSeparated = false;
    bool upright = true;      // --no-rotate: pictures as stored
    bool toneMap = true;      // --no-tonemap: HDR pictures by their colour matrix alone
    FrameSelection selection; // --every, --interval, --spread, --keyframes, --from, --to
    QString indexFile;        // --index: a CSV row for every image written
    PictureShape shape;       // --size, --square-pixels, --deinterlace
    ImageNaming naming;       // --folder-per-video, --pad, --skip-existing
};

// Parses the arguments after the program's name. On a mistake answers none and sets `error`, which
// names the argument. --help, -h and --version end the parsing: what follows them is not looked at.
std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error);

// The help text: options, defaults and exit statuses.
QString Usage();
