#pragma once

#include <QCursor>
#include <QObject>
#include <QString>

#include <optional>

class BusyState;
class FileListWidget;

// The pointer shown while an entry is carried through the list: "drag.ico" in the program's folder,
// read afresh each time; none when the file is missing or unreadable.
std::optional<QCursor> LoadDragPointer(const QString& programFolder);

// Shows the drag pointer over the list from the moment an entry is taken up until the button is
// released, when the list's own pointer returns. While the window is busy the list keeps the wait
// pointer. A missing drag pointer leaves the list's pointer as it is.
class DragPointer : public QObject {
    Q_OBJECT
public:
    DragPointer(FileListWidget& list, const BusyState& busy, QString programFolder);

private:
    void Show();
    void Hide();

    FileListWidget& list_;
    const BusyState& busy_;
    QString programFolder_;
};
