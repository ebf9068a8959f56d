// stillpress-cli: the conversion run for scripts and tests.
#include "cli/command_line.h"
#include "cli/path_list.h"
#include "cli/terminal_host.h"
#include "convert/run/conversion_run.h"

#include <QCoreApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

constexpr int kSomethingFailed = 1;
constexpr int kBadArguments = 2;

// The signal that asked the run to stop; 0 before one came.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void RequestStop(int signal)
{
    stopSignal.store(signal);
    // The run finishes the images being written and stops; a second interrupt ends the program at once.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
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

    std::optional<ImageIndex> index;
    if (!line->indexFile.isEmpty()) {
        index = ImageIndex::Open(line->indexFile, error);
        if (!index)
            return BadArguments(error);
    }

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    const RunSettings settings{line->threads, line->upright, line->toneMap};
    TerminalHost host(std::move(*line), std::move(index), stopSignal);
    std::atomic<bool> isConverting{false};
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, isConverting, settings);
    std::printf("%d\n", outcome.framesWritten);
    if (const int signal = stopSignal.load()) {
        // Ended by the signal itself, as a shell expects of a program it interrupted: it reports the
        // status 128 + the signal's number, and a script running this one stops too.
        std::fflush(stdout);
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    // A selection that takes no frame of any video has failed at nothing.
    const bool wroteOrChoseNone = outcome.framesWritten >= 1 || outcome.imagesKept > 0 || outcome.filesWithoutChosenFrames > 0;
    return wroteOrChoseNone && outcome.failuresShown == 0 && !host.IndexFailed() ? 0 : kSomethingFailed;
}
