#pragma once

#include <QPersistentModelIndex>
#include <QStringList>
#include <QTreeView>

class FileListModel;

// The list of input videos: one column, one full path per entry, in the order they were added.
// Entries are numbered from 1, as the conversion run counts them. The entries live in the list's
// model, which a run reads from its own thread (Entries()).
//
// The list handles its own input and says what the user asked for: files dropped on it, the
// removal of the selected entry (the Delete key, whatever modifiers are held, or a double-click),
// and an entry taken up and put down again. Moving an entry is its own: as the pointer, with the
// button held, passes over another entry, the carried entry and that entry swap texts, so the
// carried path travels one place per entry passed and the entry under the pointer becomes the
// selected one; near the top or bottom edge the list scrolls one entry further. Moving is open
// while the window is busy: entries are only swapped, and a run reads each entry's text when it
// reaches it.
class FileListWidget : public QTreeView {
    Q_OBJECT
public:
    explicit FileListWidget(QWidget* parent);

    // The entries as a run reads them: safe from any thread.
    const FileListModel& Entries() const { return *entries_; }

    // Appends entries at the end; duplicates are allowed.
    void Append(const QString& path);
    void AppendAll(const QStringList& paths);
    int Count() const;
    QString Text(int index) const;  // 1-based
    QStringList Texts() const;
    void SetHeaderText(const QString& text);

    // Removes the selected entry; nothing when none is selected.
    void RemoveSelectedEntry();
    void Clear();

signals:
    // Local files and folders were dropped, in the order the source listed them. Drags that carry
    // none are refused, with the no-drop pointer.
    void FilesDropped(const QStringList& paths);
    void RemovalAsked();
    // A button was pressed on an entry, which is carried from now on.
    void CarryStarted();
    // A button was released over the list, whether or not an entry was carried.
    void CarryEnded();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Carry(QPoint position);
    void ScrollNearEdge(int hoverRow, int pointerY);

    FileListModel* entries_;
    bool buttonDown_ = false;
    // The entry last taken up or carried; it stays after the release, and becomes invalid when its
    // entry is removed.
    QPersistentModelIndex carried_;
};
