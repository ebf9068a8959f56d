#pragma once

#include <QObject>
#include <QStringList>

class Form1;
class ScanQueue;

// Fills the list from folders: the "Add All AVI Files In Folder" command and files and folders
// dropped on the list. Folder trees are scanned off the user-interface thread while the window
// shows itself busy; the entries are appended in the scan's order as they come.
class ListFilling : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kExtensionPrompt =
        "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)";
    static constexpr const char* kFolderPrompt = "Please select folder:";

    explicit ListFilling(Form1& form);

    void PushButton4_Click();
    // Files are taken as they are, folders with their whole tree, in the order dropped.
    void AddDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1& form_;
    ScanQueue* scans_;
};
