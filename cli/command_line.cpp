#include "cli/command_line.h"

#include "convert/frame_limit.h"

QString Usage()
{
    return QStringLiteral(
        "Usage: stillpress-cli [--frames all|10|100|1000|N] [--format bmp|jpg|png|gif|tiff|tga|pcx]\n"
        "                      [--quality 1-100] --output DIR FILE...\n"
        "Writes the first frames of each AVI FILE into DIR as images named after the video and the frame.\n"
        "Defaults: all frames, jpg, quality 85.\n");
}

std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error)
{
    const QStringList choices = FrameLimit::Choices();
    CommandLine line;
    line.frameChoice = choices[0];
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            line.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(argument);
            return std::nullopt;
        }
        const QString value = arguments[++i];
        if (argument == QLatin1String("--frames")) {
            bool isNumber = false;
            const int number = value.toInt(&isNumber);
            if (value == QLatin1String("all")) {
                line.frameChoice = choices[0];
            } else if (value == QLatin1String("10") || value == QLatin1String("100") || value == QLatin1String("1000")) {
                line.frameChoice = choices[value == QLatin1String("10") ? 1 : value == QLatin1String("100") ? 2 : 3];
            } else if (isNumber && number >= 0) {
                line.frameChoice = FrameLimit::kEveryX;
                line.xAnswer = value;
            } else {
                error = QStringLiteral("--frames takes all, 10, 100, 1000 or a whole number, not \"%1\"").arg(value);
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--format")) {
            const std::optional<OutputFormat> format = OutputFormatFromName(value);
            if (!format) {
                error = QStringLiteral("unknown format \"%1\"").arg(value);
                return std::nullopt;
            }
            line.format = *format;
        } else if (argument == QLatin1String("--quality")) {
            bool isNumber = false;
            line.quality = value.toInt(&isNumber);
            if (!isNumber || line.quality < 1 || line.quality > 100) {
                error = QStringLiteral("--quality takes a whole number from 1 to 100, not \"%1\"").arg(value);
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--output")) {
            line.outputFolder = value;
        } else {
            error = QStringLiteral("unknown option %1").arg(argument);
            return std::nullopt;
        }
    }
    if (line.outputFolder.isEmpty()) {
        error = QStringLiteral("--output DIR is required");
        return std::nullopt;
    }
    return line;
}
