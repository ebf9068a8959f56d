#include "window/file_list_widget.h"

#include "filelist/file_list_model.h"

#include <QHeaderView>

FileListWidget::FileListWidget(QWidget* parent) : QTreeView(parent), entries_(new FileListModel(this))
{
    setModel(entries_);
    header()->setStretchLastSection(false);  // the column keeps the width start-up gives it
    header()->setSectionsClickable(false);   // the header only names the column
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideNone);  // long paths are cut at the column's edge
}

void FileListWidget::Append(const QString& path)
{
    entries_->Append({path});
}

void FileListWidget::AppendAll(const QStringList& paths)
{
    entries_->Append(paths);
}

int FileListWidget::Count() const
{
    return entries_->Count();
}

QString FileListWidget::Text(int index) const
{
    return entries_->Text(index).value_or(QString());
}

QStringList FileListWidget::Texts() const
{
    return entries_->Texts();
}

void FileListWidget::SetHeaderText(const QString& text)
{
    entries_->SetHeaderText(text);
}

void FileListWidget::RemoveEntry(int row)
{
    entries_->Remove(row);
}

void FileListWidget::Clear()
{
    entries_->Clear();
}

void FileListWidget::SwapEntries(int first, int second)
{
    entries_->Swap(first, second);
}
