#include "cli/command_line.h"

#include "convert/picture/picture_limits.h"
#include "convert/run/frame_limit.h"

#include <QRegularExpression>

#include <limits>

namespace {

bool IsOption(const QString& argument)
{
    // A lone "-" is a name, as it is for most tools.
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

bool SetFrames(CommandLine& line, const QString& value, QString& error)
{
    const QStringList choices = FrameLimit::Choices();
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
        return false;
    }
    return true;
}

bool SetFormat(CommandLine& line, const QString& value, QString& error)
{
    const std::optional<OutputFormat> format = OutputFormatFromName(value);
    if (!format) {
        error = QStringLiteral("--format takes bmp, jpg, png, gif, tiff, tga or pcx, not \"%1\"").arg(value);
        return false;
    }
    line.format = *format;
    return true;
}

bool SetQuality(CommandLine& line, const QString& value, QString& error)
{
    bool isNumber = false;
    line.quality = value.toInt(&isNumber);
    if (!isNumber || line.quality < 1 || line.quality > 100) {
        error = QStringLiteral("--quality takes a whole number from 1 to 100, not \"%1\"").arg(value);
        return false;
    }
    return true;
}

bool SetThreads(CommandLine& line, const QString& value, QString& error)
{
    bool isNumber = false;
    line.threads = value.toUInt(&isNumber);
    if (!isNumber || line.threads < 1 || line.threads > CommandLine::kMostThreads) {
        error = QStringLiteral("--threads takes a whole number from 1 to %1, not \"%2\"").arg(CommandLine::kMostThreads).arg(value);
        return false;
    }
    return true;
}

bool SetOutput(CommandLine& line, const QString& value, QString&)
{
    line.outputFolder = value;
    return true;
}

bool AddFileList(CommandLine& line, const QString& value, QString&)
{
    line.fileLists << value;
    return true;
}

// The rule options: one of them at the most.
bool SetRule(CommandLine& line, FrameSelection::Rule rule, const char* name, QString& error)
{
    static const char* const kRuleOptions[] = {"", "--every", "--interval", "--spread", "--keyframes"};
    if (line.selection.rule != FrameSelection::Rule::EveryFrame) {
        error = QStringLiteral("%1 cannot be given with %2: choose one rule")
                    .arg(QLatin1String(name), QLatin1String(kRuleOptions[static_cast<int>(line.selection.rule)]));
        return false;
    }
    line.selection.rule = rule;
    return true;
}

bool SetCount(CommandLine& line, FrameSelection::Rule rule, const char* name, const QString& value, QString& error)
{
    bool isNumber = false;
    const int count = value.toInt(&isNumber);
    if (!isNumber || count < 1 || value.startsWith(QLatin1Char('+'))) {
        error = QStringLiteral("%1 takes a whole number from 1 to %2, not \"%3\"")
                    .arg(QLatin1String(name)).arg(std::numeric_limits<int>::max()).arg(value);
        return false;
    }
    line.selection.count = count;
    return SetRule(line, rule, name, error);
}

std::optional<Seconds> TimeOf(const char* name, const QString& value, QString& error)
{
    const std::optional<Seconds> time = Seconds::Parse(value);
    if (!time) {
        error = QStringLiteral("%1 takes seconds (90, 12.5) or [h:]mm:ss[.fff] (1:30, 1:02:03.5), with at most "
                               "nine decimals, not \"%2\"").arg(QLatin1String(name), value);
    }
    return time;
}

bool SetEvery(CommandLine& line, const QString& value, QString& error)
{
    return SetCount(line, FrameSelection::Rule::EveryNth, "--every", value, error);
}

bool SetSpread(CommandLine& line, const QString& value, QString& error)
{
    return SetCount(line, FrameSelection::Rule::Spread, "--spread", value, error);
}

bool SetInterval(CommandLine& line, const QString& value, QString& error)
{
    const std::optional<Seconds> interval = TimeOf("--interval", value, error);
    if (!interval)
        return false;
    if (interval->nanoseconds <= 0) {
        error = QStringLiteral("--interval takes a time above 0, not \"%1\"").arg(value);
        return false;
    }
    line.selection.interval = *interval;
    return SetRule(line, FrameSelection::Rule::Interval, "--interval", error);
}

bool SetFrom(CommandLine& line, const QString& value, QString& error)
{
    line.selection.from = TimeOf("--from", value, error);
    return line.selection.from.has_value();
}

bool SetTo(CommandLine& line, const QString& value, QString& error)
{
    line.selection.to = TimeOf("--to", value, error);
    return line.selection.to.has_value();
}

bool SetIndex(CommandLine& line, const QString& value, QString&)
{
    line.indexFile = value;
    return true;
}

bool SetSize(CommandLine& line, const QString& value, QString& error)
{
    static const QRegularExpression kSize(QStringLiteral("^([0-9]*)x([0-9]*)$"));
    const QRegularExpressionMatch match = kSize.match(value);
    const auto side = [&](int field) {
        bool isNumber = false;
        const int length = match.captured(field).toInt(&isNumber);
        return match.captured(field).isEmpty() ? 0 : isNumber && length >= 1 && length <= PictureLimits::kMaxDimension ? length : -1;
    };
    const int width = match.hasMatch() ? side(1) : -1;
    const int height = match.hasMatch() ? side(2) : -1;
    if (width < 0 || height < 0 || (width == 0 && height == 0)) {
        error = QStringLiteral("--size takes WxH, Wx or xH, W and H whole numbers from 1 to %1, not \"%2\"")
                    .arg(PictureLimits::kMaxDimension).arg(value);
        return false;
    }
    if ((line.shape.fitWidth || line.shape.fitHeight) && (line.shape.fitWidth != width || line.shape.fitHeight != height)) {
        error = QStringLiteral("--size is given twice, with other sizes");
        return false;
    }
    line.shape.fitWidth = width;
    line.shape.fitHeight = height;
    return true;
}

struct ValueOption {
    const char* name;
    bool (*apply)(CommandLine& line, const QString& value, QString& error);
};
constexpr ValueOption kValueOptions[] = {{"--frames", SetFrames}, {"--format", SetFormat}, {"--quality", SetQuality},
    {"--threads", SetThreads}, {"--output", SetOutput}, {"--files-from", AddFileList}, {"--every", SetEvery},
    {"--interval", SetInterval}, {"--spread", SetSpread}, {"--from", SetFrom}, {"--to", SetTo}, {"--index", SetIndex},
    {"--size", SetSize}};

// --pad alone pads to the digits of each video's last position; --pad=N to N digits.
bool SetPad(CommandLine& line, const std::optional<QString>& value, QString& error)
{
    int width = 0;
    if (value) {
        bool isNumber = false;
        width = value->toInt(&isNumber);
        if (!isNumber || width < 1 || width > ImageNaming::kMostPadding || value->startsWith(QLatin1Char('+'))) {
            error = QStringLiteral("--pad takes a width from 1 to %1 digits, not \"%2\"").arg(ImageNaming::kMostPadding).arg(*value);
            return false;
        }
    }
    if (line.naming.padWidth && *line.naming.padWidth != width) {
        error = QStringLiteral("--pad is given twice, with other widths");
        return false;
    }
    line.naming.padWidth = width;
    return true;
}

struct Flag {
    const char* name;
    bool (*apply)(CommandLine& line, QString& error);
};
bool AskForHelp(CommandLine& line, QString&)
{
    line.request = CommandLine::Request::Help;
    return true;
}
constexpr Flag kFlags[] = {{"--help", AskForHelp}, {"-h", AskForHelp},
    {"--version", [](CommandLine& line, QString&) { line.request = CommandLine::Request::Version; return true; }},
    {"--null", [](CommandLine& line, QString&) { line.nulSeparated = true; return true; }},
    {"--no-rotate", [](CommandLine& line, QString&) { line.upright = false; return true; }},
    {"--no-tonemap", [](CommandLine& line, QString&) { line.toneMap = false; return true; }},
    {"--keyframes", [](CommandLine& line, QString& error) { return SetRule(line, FrameSelection::Rule::KeyFrames, "--keyframes", error); }},
    {"--square-pixels", [](CommandLine& line, QString&) { line.shape.squarePixels = true; return true; }},
    {"--deinterlace", [](CommandLine& line, QString&) { line.shape.deinterlace = true; return true; }},
    {"--folder-per-video", [](CommandLine& line, QString&) { line.naming.folderPerVideo = true; return true; }},
    {"--skip-existing", [](CommandLine& line, QString&) { line.naming.keepExisting = true; return true; }}};

template <typename Option, std::size_t N>
const Option* Find(const Option (&options)[N], const QString& name)
{
    for (const Option& option : options) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

}  // namespace

QString Usage()
{
    return QStringLiteral(
        "Usage: stillpress-cli [OPTION]... --output DIR FILE...\n"
        "       stillpress-cli [OPTION]... --output DIR --files-from LIST\n"
        "Writes frames of each video FILE into DIR as images named after the video and the frame.\n"
        "\n"
        "  --output DIR           the folder the images go to (required; it must exist)\n"
        "  --frames all|10|100|1000|N\n"
        "                         how many frames from the start of each video (default: all)\n"
        "  --format bmp|jpg|png|gif|tiff|tga|pcx\n"
        "                         the image format (default: jpg)\n"
        "  --quality 1-100        the JPG quality (default: 85)\n"
        "  --threads N            encode frames on N threads, 1 to %1 (default: one per processor core);\n"
        "                         pictures of 1280x720 and more are also decoded on N+1 threads,\n"
        "                         4K pictures of more than 8 bits on N\n"
        "  --files-from LIST      also convert the files named in LIST, one path a line; - reads standard\n"
        "                         input. Empty lines are skipped and a line's closing carriage return dropped.\n"
        "  --null                 the paths in LIST end with a NUL character instead (find -print0)\n"
        "  --no-rotate            keep the pictures as they are stored; by default they are turned\n"
        "                         upright as the video's display matrix says, as a player shows them\n"
        "  --no-tonemap           write HDR pictures (PQ, HLG) as their colour matrix alone gives them;\n"
        "                         by default they are tone-mapped to SDR, as a player shows them\n"
        "\n"
        "Which frames (one rule at the most; --frames then keeps the first of those chosen). A frame's time\n"
        "is its timestamp less the first frame's (AVI: its number of frame durations); seconds are read\n"
        "exactly as written. R is the frames with --from <= time < --to, in order:\n"
        "  --every N              R[0], R[N], R[2N], ...\n"
        "  --interval S           the first frame of R at or after --from (0 without it), --from + S,\n"
        "                         --from + 2S, ... up to --to and R's last time; a frame once however often\n"
        "  --spread N             the same at N points evenly from R's first time to its last\n"
        "  --keyframes            the frames of R the decoder marks as key frames (AVI: its index)\n"
        "  --from T, --to T       the range R, T in seconds (90, 12.5) or [h:]mm:ss[.fff] (1:30, 1:02:03.5);\n"
        "                         by default the whole video\n"
        "  --index FILE           append a CSV row for every image written to FILE (made with a header\n"
        "                         when new): image,video,position,time_s,key_frame\n"
        "\n"
        "Pictures and names (each off by default):\n"
        "  --size WxH, Wx, xH     shrink each picture to fit within W x H, keeping its shape (after turning\n"
        "                         it upright and --square-pixels), never enlarging it\n"
        "  --square-pixels        widen or narrow pictures of non-square pixels to the shape a player shows\n"
        "  --deinterlace          deinterlace pictures flagged interlaced (bwdif), one still per picture\n"
        "  --folder-per-video     put each video's images in a folder named after it, inside DIR\n"
        "  --pad, --pad=N         zero-pad the positions in names to the digits of the video's last\n"
        "                         position, or to N digits (1 to 9), so that names sort as text\n"
        "  --skip-existing        leave an image already there under its name as it is, and make only\n"
        "                         those missing (with a rule, their frames alone are decoded)\n"
        "  -h, --help             show this help and exit\n"
        "  --version              show the version and exit\n"
        "\n"
        "An option's value may also be joined to it: --format=png. Put -- before names that begin with -.\n"
        "Files named as arguments are converted first, then those of each LIST in turn. The number of\n"
        "frames written is printed on standard output; messages and progress go to standard error, with\n"
        "the reason on the line after the message of a file that could not be read.\n"
        "A run that cannot write into DIR (a full disk, a read-only or vanished folder) stops there.\n"
        "SIGINT (Ctrl-C) or SIGTERM stops the run: the images being written are finished, their number\n"
        "is printed, and the program then ends by that signal. A second SIGINT or SIGTERM ends it at\n"
        "once. Either way no image is left half-written under its final name.\n"
        "\n"
        "The images of a rule are exactly those of the same frames in a run of every frame; videos whose\n"
        "packets tell where each frame lies are read only as far as the chosen frames need.\n"
        "\n"
        "Videos: AVI, MP4, M4V, MOV, 3GP, MKV, WebM, MPEG-TS (TS, M2TS, MTS), MPEG-PS (MPG, VOB), WMV/ASF,\n"
        "FLV, OGV, MXF and DV, found by their content whatever their names. In AVI, frame n is the stream's\n"
        "n-th chunk (an empty chunk, a dropped frame, repeats the picture before it); in every other\n"
        "container, frame n is the n-th picture the stream decodes to, in display order.\n"
        "\n"
        "Exit status:\n"
        "    0  every file was converted (a video none of whose frames is chosen counts as converted)\n"
        "    1  a file or a frame could not be converted, or DIR could not be written to\n"
        "    2  the arguments were wrong or a LIST could not be read; nothing was converted\n"
        "  130  stopped by SIGINT (as a shell reports an end by that signal: 128 + its number)\n"
        "  143  stopped by SIGTERM\n")
        .arg(CommandLine::kMostThreads);
}

std::optional<CommandLine> ParseCommandLine(const QStringList& arguments, QString& error)
{
    CommandLine line;
    line.frameChoice = FrameLimit::Choices()[0];
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !IsOption(argument)) {
            line.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.startsWith(QLatin1String("--")) ? argument.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (name == QLatin1String("--pad")) {
            if (!SetPad(line, equals < 0 ? std::nullopt : std::optional(argument.mid(equals + 1)), error))
                return std::nullopt;
            continue;
        }
        if (const Flag* flag = Find(kFlags, name)) {
            if (equals >= 0) {
                error = QStringLiteral("%1 takes no value").arg(name);
                return std::nullopt;
            }
            if (!flag->apply(line, error))
                return std::nullopt;
            if (line.request != CommandLine::Request::Convert)
                return line;
            continue;
        }
        const ValueOption* option = Find(kValueOptions, name);
        if (!option) {
            error = QStringLiteral("unknown option %1").arg(name);
            return std::nullopt;
        }
        const QString value = equals >= 0 ? argument.mid(equals + 1) : i + 1 < arguments.size() ? arguments[++i] : QString();
        if (value.isEmpty()) {
            error = QStringLiteral("%1 needs a value").arg(name);
            return std::nullopt;
        }
        if (!option->apply(line, value, error))
            return std::nullopt;
    }
    if (line.outputFolder.isEmpty()) {
        error = QStringLiteral("--output DIR is required");
        return std::nullopt;
    }
    if (line.selection.from && line.selection.to && *line.selection.to <= *line.selection.from) {
        error = QStringLiteral("--to must come after --from");
        return std::nullopt;
    }
    return line;
}
