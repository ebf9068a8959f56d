#include "filelist/file_list_model.h"

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent)
{
}

int FileListModel::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(entries_.size());
}

std::optional<QString> FileListModel::Text(int index) const
{
    std::lock_guard lock(mutex_);
    if (index < 1 || index > entries_.size())
        return std::nullopt;
    return entries_.at(index - 1);
}

QStringList FileListModel::Texts() const
{
    std::lock_guard lock(mutex_);
    // A list of its own, so the caller's copy never shares the storage that edits change.
    return QStringList(entries_.cbegin(), entries_.cend());
}

// Views read the model while they are told of a change, so the lock is held only for the change
// itself, never across a notice.

void FileListModel::Append(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const int first = Count();
    beginInsertRows({}, first, first + static_cast<int>(paths.size()) - 1);
    {
        std::lock_guard lock(mutex_);
        entries_ += paths;
    }
    endInsertRows();
}

void FileListModel::Remove(int row)
{
    beginRemoveRows({}, row, row);
    {
        std::lock_guard lock(mutex_);
        entries_.removeAt(row);
    }
    endRemoveRows();
}

void FileListModel::Clear()
{
    beginResetModel();
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }
    endResetModel();
}

void FileListModel::Swap(int first, int second)
{
    {
        std::lock_guard lock(mutex_);
        entries_.swapItemsAt(first, second);
    }
    emit dataChanged(index(first), index(first));
    emit dataChanged(index(second), index(second));
}

void FileListModel::SetHeaderText(const QString& text)
{
    headerText_ = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const std::optional<QString> text = Text(index.row() + 1);
    return text ? QVariant(*text) : QVariant();
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    // Entries can be selected, nothing more: no editing in place, no dragging out.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return headerText_;
}
