#pragma once

#include <QStringList>
#include <QTreeWidget>

// The list of input videos: one column, one full path per entry, in the order they were added.
// Entries are numbered from 1, as the conversion run counts them.
class FileListWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit FileListWidget(QWidget* parent);

    // Appends an entry at the end; duplicates are allowed.
    void Append(const QString& path);
    int Count() const;
    QString Text(int index) const;  // 1-based
    QStringList Texts() const;
    QStringList Texts(int first, int last) const;  // 0-based rows, both included
};
