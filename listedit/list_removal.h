#pragma once

#include <QObject>

class BusyState;
class FileListWidget;
class WindowDialogs;

// Removing entries: what the list asks for (the Delete key or a double-click) removes the selected
// entry, "Clear List" removes all. Both do nothing while the window is busy.
class ListRemoval : public QObject {
    Q_OBJECT
public:
    ListRemoval(FileListWidget& list, const BusyState& busy, const WindowDialogs& dialogs);

    void RemoveSelectedEntry();
    void PushButton3_Click();

private:
    FileListWidget& list_;
    const BusyState& busy_;
    const WindowDialogs& dialogs_;
};
