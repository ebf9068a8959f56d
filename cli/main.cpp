// stillpress-cli: the conversion run for scripts and tests.
#include "cli/command_line.h"
#include "cli/path_list.h"
#include "cli/terminal_host.h"
#include "convert/conversion_run.h"

#include <QCoreApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <csignal>
#include <cstdio>

namespace {

constexpr int kSomethingFailed = 1;
constexpr int kBadArguments = 2;

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int)
{
    stopRequested.store(true);
}

int BadArguments(const QString& error)
{
    std::fprintf(stderr, "stillpress-cli: %s\n%s", error.toLocal8Bit().constData(), Usage().toLocal8Bit().constData());
    return kBadArguments;
}

// Adds the paths of every --files-from list to the files; false with `error` set when a list cannot be
// read, which is found out before anything is converted.
bool AddListedFiles(CommandLine& line, QString& error)
{
    for (const QString& list : line.fileLists) {
        const std::optional<QStringList> paths = ReadPathList(list, line.nulSeparated, error);
        if (!paths)
            return false;
        line.files << *paths;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // The decoder's own chatter is not for the user: every problem it causes is reported by the run.
    av_log_set_level(AV_LOG_QUIET);

    QString error;
    std::optional<CommandLine> line = ParseCommandLine(application.arguments().mid(1), error);
    if (!line)
        return BadArguments(error);
    if (line->request == CommandLine::Request::Help) {
        std::fputs(Usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line->request == CommandLine::Request::Version) {
        std::puts("stillpress-cli " STILLPRESS_VERSION);
        return 0;
    }
    if (!AddListedFiles(*line, error))
        return BadArguments(error);

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    const RunSettings settings{line->threads, line->upright, line->toneMap};
    TerminalHost host(std::move(*line), stopRequested);
    std::atomic<bool> isConverting{false};
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, isConverting, settings);
    if (stopRequested)
        return kSomethingFailed;
    std::printf("%d\n", outcome.framesWritten);
    return outcome.framesWritten >= 1 && outcome.failuresShown == 0 ? 0 : kSomethingFailed;
}
