#include "cli/terminal_host.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

TerminalHost::TerminalHost(CommandLine line, std::optional<ImageIndex> index, const std::atomic<int>& stopSignal)
    : line_(std::move(line)), index_(std::move(index)), stopSignal_(stopSignal), live_(isatty(STDERR_FILENO) == 1)
{
    sinceRedraw_.start();
}

void TerminalHost::Print(const QString& text)
{
    EndLiveLine();
    // Message texts keep their own line breaks (CR LF, CR CR) so they read as the window shows them.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fputs(shown.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void TerminalHost::EndLiveLine()
{
    if (liveLineShown_) {
        std::fputc('\n', stderr);
        liveLineShown_ = false;
    }
}

void TerminalHost::ShowMessage(const QString& text)
{
    Print(text);
}

std::optional<QString> TerminalHost::AskText(const QString&, const QString&, const QString&)
{
    return line_.xAnswer;
}

void TerminalHost::ShowErrorReport(const QString& message)
{
    Print(QStringLiteral("Application Error: ") + message);
}

void TerminalHost::ExplainProblem(const QString& reason)
{
    Print(QStringLiteral("Reason: ") + reason);
}

void TerminalHost::Remark(const QString& text)
{
    Print(fileText_.isEmpty() ? text : fileText_.mid(fileText_.indexOf(QLatin1Char(' ')) + 1) + QStringLiteral(": ") + text);
}

void TerminalHost::ImageWritten(const WrittenImage& image)
{
    if (index_->Append(image) || indexFailed_)
        return;
    indexFailed_ = true;
    Print(QStringLiteral("Cannot write to the index %1: %2").arg(line_.indexFile, QString::fromLocal8Bit(std::strerror(errno))));
}

void TerminalHost::SetBarText(Bar bar, const QString& text)
{
    if (bar == Bar::Files) {
        if (text.startsWith(QLatin1String("Processing: "))) {
            fileText_ = text;
            if (!live_)
                Print(text);
        }
        return;
    }
    if (!live_ || !text.startsWith(QLatin1String("Frames Processed: ")))
        return;
    // Redrawing for every frame would cost more than the frame; a few times a second is enough.
    if (liveLineShown_ && sinceRedraw_.elapsed() < 100)
        return;
    sinceRedraw_.restart();
    const QString shown = fileText_ + QStringLiteral("  ") + text;
    std::fprintf(stderr, "\r%s\033[K", shown.toLocal8Bit().constData());
    std::fflush(stderr);
    liveLineShown_ = true;
}

bool TerminalHost::StopAsked()
{
    if (stopSignal_.load(std::memory_order_relaxed) == 0)
        return false;
    if (!stopNoticeShown_) {
        Print(QStringLiteral("Stopping once the images being written are saved; interrupt again to end at once."));
        stopNoticeShown_ = true;
    }
    return true;
}
