#pragma once

#include <QObject>
#include <QStringList>

class BusyState;
class FileListWidget;
class ScanQueue;
class SettingsStore;
class WindowDialogs;

// Fills the list from folders: the "Add All AVI Files In Folder" command and files and folders
// dropped on the list. Folder trees are scanned off the user-interface thread while the window is
// busy scanning; the entries are appended in the scan's order as they come.
class ListFilling : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kExtensionPrompt =
        "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)";
    static constexpr const char* kFolderPrompt = "Please select folder:";

    // Reads and stores "Extension" and "LastFolder"; appends to `list` and takes its drops.
    ListFilling(FileListWidget& list, BusyState& busy, SettingsStore& store, const WindowDialogs& dialogs);

    void PushButton4_Click();
    // Files are taken as they are, folders with their whole tree, in the order dropped.
    void AddDropped(const QStringList& paths);
    // Stops the running scan and forgets the waiting ones (the window is closing).
    void StopScans();

private:
    SettingsStore& store_;
    const WindowDialogs& dialogs_;
    ScanQueue* scans_;  // a child of this object
};
