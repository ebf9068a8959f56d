// Adds a folder tree through "Add All AVI Files In Folder" of a real window and reports how long
// the entries took to arrive and the longest stall of the window's event loop meanwhile.
// Usage: scan_responsiveness_tool FOLDER [EXTENSION]
#include "listedit_test_support.h"
#include "window/file_list_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [EXTENSION]\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString extension = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("avi");

    WindowUnderTest window;
    Form1& form = window.Form();
    ModalAnswerer answerer;
    answerer.Queue(AnswerText(extension));
    answerer.Queue(ModalAnswerer::PickFolder(folder));
    QTimer::singleShot(0, ControlsOf(form).PushButton4, &QPushButton::click);
    answerer.WaitUntilAnswered();

    // A 5 ms timer on the window's thread: the longest gap between its ticks is the longest time
    // the window could not answer.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    ticker.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!form.IsBusy())
            application.quit();
    });
    poll.start(1);
    application.exec();

    std::printf("entries: %d\nseconds until all were listed: %.2f\nlongest event-loop stall: %lld ms\n",
        ControlsOf(form).ListView1->Count(), clock.elapsed() / 1000.0, longestGap);
    return 0;
}
