// stillpress-cli: the conversion run for scripts and tests.
#include "cli/command_line.h"
#include "cli/terminal_host.h"
#include "convert/conversion_run.h"

#include <QCoreApplication>

extern "C" {
#include <libavutil/log.h>
}

#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void RequestStop(int)
{
    stopRequested.store(true);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // The decoder's own chatter is not for the user: every problem it causes is reported by the run.
    av_log_set_level(AV_LOG_QUIET);
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    QString error;
    const std::optional<CommandLine> line = ParseCommandLine(application.arguments().mid(1), error);
    if (!line) {
        std::fprintf(stderr, "stillpress-cli: %s\n%s", error.toLocal8Bit().constData(), Usage().toLocal8Bit().constData());
        return 2;
    }

    TerminalHost host(*line, stopRequested);
    std::atomic<bool> isConverting{false};
    const ConversionRun::Outcome outcome = ConversionRun::Execute(host, isConverting);
    if (stopRequested)
        return 1;
    std::printf("%d\n", outcome.framesWritten);
    return outcome.framesWritten >= 1 && outcome.failuresShown == 0 ? 0 : 1;
}
