#include "window/file_list_widget.h"

#include <QHeaderView>

FileListWidget::FileListWidget(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderLabels({QString()});
    header()->setStretchLastSection(false);  // the column keeps the width start-up gives it
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideNone);  // long paths are cut at the column's edge
}

void FileListWidget::Append(const QString& path)
{
    auto* item = new QTreeWidgetItem(QStringList{path});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    addTopLevelItem(item);
}

int FileListWidget::Count() const
{
    return topLevelItemCount();
}

QString FileListWidget::Text(int index) const
{
    const QTreeWidgetItem* item = topLevelItem(index - 1);
    return item ? item->text(0) : QString();
}

QStringList FileListWidget::Texts() const
{
    return Texts(0, Count() - 1);
}

QStringList FileListWidget::Texts(int first, int last) const
{
    QStringList texts;
    for (int row = first; row <= last; ++row)
        texts << topLevelItem(row)->text(0);
    return texts;
}
