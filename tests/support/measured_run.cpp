#include "measured_run.h"

#include "media_tools.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <unistd.h>

namespace {

// Runs the program given after the peak file's path, then writes the peak of its only child.
const char* const kLauncher =
    "import resource, subprocess, sys\n"
    "code = subprocess.call(sys.argv[2:])\n"
    "with open(sys.argv[1], 'w') as peak:\n"
    "    peak.write(str(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss))\n"
    "sys.exit(code if code >= 0 else 128 - code)\n";

}  // namespace

MeasuredRun RunMeasured(const QString& program, const QStringList& arguments, int timeoutMs)
{
    MeasuredRun run;
    QTemporaryDir scratch;
    const QString peakFile = scratch.filePath("peak");
    QProcess launcher;
    // A process group of its own, so that a run that outlives its time ends with everything it started.
    launcher.setChildProcessModifier([] { setpgid(0, 0); });
    launcher.start(QString::fromLatin1(kPython), QStringList{"-c", kLauncher, peakFile, program} + arguments);
    if (!launcher.waitForStarted(10000))
        return run;
    launcher.closeWriteChannel();
    if (!launcher.waitForFinished(timeoutMs)) {
        ::kill(-static_cast<pid_t>(launcher.processId()), SIGKILL);
        launcher.waitForFinished(5000);
        return run;
    }
    QFile peak(peakFile);
    run.finished = launcher.exitStatus() == QProcess::NormalExit && peak.open(QIODevice::ReadOnly);
    run.exitCode = launcher.exitCode();
    run.peakResidentKib = peak.readAll().toLong();
    run.out = launcher.readAllStandardOutput();
    run.err = launcher.readAllStandardError();
    return run;
}
