#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class SettingsStore;

// What start-up takes from outside the window: where the program lives, chance, and the system's
// browser. The program uses Standard(); tests put in their own.
struct Form1Environment {
    static constexpr const char* kHomePage = "https://stillpress.org";

    // Where the skin "x/o.cjs" and the hand cursor "HAND-M.CUR" are looked for.
    QString programFolder;
    // A whole number from 1 to 100; a 7 opens the home page.
    std::function<int()> drawOneToHundred;
    std::function<void(const QUrl&)> openHomePage;
    // Records the sample videos of the program's folder on a first start (RecordSampleSnapshot);
    // empty: nothing is recorded.
    std::function<void(SettingsStore& store, const QString& programFolder)> firstRunSampleStep;
    // Shows a folder in the system's file manager (the Samples folder, when the user asks).
    std::function<void(const QUrl&)> openFolder;

    // The folder of the program file, a draw seeded from the clock, the system's browser and file
    // manager, the recording of the sample videos.
    static Form1Environment Standard();
};
