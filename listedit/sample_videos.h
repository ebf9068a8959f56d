#pragma once

#include <QUrl>

#include <functional>

class Form1;

// Opens a folder in the system's file manager; tests put in their own.
using FolderOpener = std::function<void(const QUrl& folder)>;

inline constexpr const char* kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored "
    "(so that you can view them before working with them)?";

// The first-run sample step: stores the scrambled paths of the files in the program's Samples folder
// as "Snapshot". An empty record is stored too, so the step runs again at the next start.
void RecordSampleSnapshot(Form1& form);

// Appends the recorded sample files that still exist and are not listed yet, then asks whether to
// open the Samples folder (every time, also when nothing was added) and opens it on Yes.
void LoadSampleVideos(Form1& form, const FolderOpener& openFolder);

// "Load Sample/Example Videos": the loader under the window's error trap.
void PushButton5_Click(Form1& form, const FolderOpener& openFolder);
