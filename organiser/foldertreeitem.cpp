#include "organiser/foldertreeitem.h"

#include "organiser/foldertree.h"

FolderTreeItem::FolderTreeItem(const QString &label, int image, int selectedImage, int id)
    : QTreeWidgetItem(ItemType)
{
    setText(0, label);
    setData(0, IdRole, id);
    setData(0, ImageRole, image);
    setData(0, SelectedImageRole, selectedImage);
}

QVariant FolderTreeItem::data(int column, int role) const
{
    if (role == Qt::DecorationRole && column == 0) {
        if (const auto *tree = qobject_cast<const FolderTree *>(treeWidget()))
            return tree->picture(isSelected() ? selectedImage(this) : image(this));
    }
    return QTreeWidgetItem::data(column, role);
}

int FolderTreeItem::id(const QTreeWidgetItem *item)
{
    return item ? item->data(0, IdRole).toInt() : 0;
}

int FolderTreeItem::image(const QTreeWidgetItem *item)
{
    return item ? item->data(0, ImageRole).toInt() : 0;
}

int FolderTreeItem::selectedImage(const QTreeWidgetItem *item)
{
    return item ? item->data(0, SelectedImageRole).toInt() : 0;
}
