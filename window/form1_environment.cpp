#include "window/form1_environment.h"

#include "listedit/sample_videos.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QRandomGenerator>

Form1Environment Form1Environment::Standard()
{
    Form1Environment environment;
    environment.programFolder = QCoreApplication::applicationDirPath();
    environment.drawOneToHundred = [] {
        QRandomGenerator generator(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
        return static_cast<int>(generator.generateDouble() * 100) + 1;
    };
    environment.openHomePage = [](const QUrl& address) { QDesktopServices::openUrl(address); };
    environment.firstRunSampleStep = RecordSampleSnapshot;
    environment.openFolder = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
    return environment;
}
