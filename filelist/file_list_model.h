#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// The entries of the file list, one full path each, in list order: the one place they are kept.
// The list widget shows and edits them on the thread the model lives in; a conversion run reads them
// from its own thread through Count and Text, which take the lock every edit takes, so a run reads
// the list as it stands at that moment and never a copy of it.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    // Safe from any thread.
    int Count() const;
    std::optional<QString> Text(int index) const;  // 1-based; none outside the list
    QStringList Texts() const;

    // Edits, on the model's thread. Rows are 0-based.
    void Append(const QStringList& paths);
    void Remove(int row);
    void Clear();
    void Swap(int first, int second);
    void SetHeaderText(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    mutable std::mutex mutex_;
    QStringList entries_;  // guarded by mutex_; changed only between the model's begin and end notices
    QString headerText_;
};
