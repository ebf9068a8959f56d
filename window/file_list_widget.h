#pragma once

#include <QStringList>
#include <QTreeView>

class FileListModel;

// The list of input videos: one column, one full path per entry, in the order they were added.
// Entries are numbered from 1, as the conversion run counts them. The entries live in the list's
// model, which a run reads from its own thread (Entries()).
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

    // Edits; rows are 0-based.
    void RemoveEntry(int row);
    void Clear();
    void SwapEntries(int first, int second);

private:
    FileListModel* entries_;
};
