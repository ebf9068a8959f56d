#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class FileListWidget;
class SettingsStore;
class WindowDialogs;

// Opens a folder in the system's file manager; tests put in their own.
using FolderOpener = std::function<void(const QUrl& folder)>;

inline constexpr const char* kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored "
    "(so that you can view them before working with them)?";

// The first-run sample step: stores the scrambled paths of the files in the Samples folder of the
// program's folder as "Snapshot". An empty record is stored too, so the step runs again at the next
// start.
void RecordSampleSnapshot(SettingsStore& store, const QString& programFolder);

// "Load Sample/Example Videos".
class SampleVideos {
public:
    // Reads "Snapshot"; appends to `list`.
    SampleVideos(FileListWidget& list, const SettingsStore& store, QString programFolder, const WindowDialogs& dialogs,
        FolderOpener openFolder);

    // The loader under the window's error trap.
    void PushButton5_Click();
    // Appends the recorded sample files that still exist and are not listed yet, then asks whether
    // to open the Samples folder (every time, also when nothing was added) and opens it on Yes.
    void LoadSampleVideos();

private:
    FileListWidget& list_;
    const SettingsStore& store_;
    QString programFolder_;
    const WindowDialogs& dialogs_;
    FolderOpener openFolder_;
};
