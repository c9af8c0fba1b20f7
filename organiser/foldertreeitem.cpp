#include "organiser/foldertreeitem.h"

#include "organiser/foldertree.h"

FolderTreeItem::FolderTreeItem(const QString &label, int image, int selectedImage, int id)
    : QTreeWidgetItem(ItemType), m_label(label), m_id(id), m_image(image),
      m_selectedImage(selectedImage)
{
}

QVariant FolderTreeItem::data(int column, int role) const
{
    if (column != 0)
        return QTreeWidgetItem::data(column, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_label;
    case Qt::DecorationRole:
        if (const auto *tree = qobject_cast<const FolderTree *>(treeWidget()))
            return tree->picture(isSelected() ? m_selectedImage : m_image);
        return {};
    case IdRole:
        return m_id;
    case ImageRole:
        return m_image;
    case SelectedImageRole:
        return m_selectedImage;
    case UnfilledRole:
        return m_unfilled;
    default:
        return QTreeWidgetItem::data(column, role);
    }
}

void FolderTreeItem::setData(int column, int role, const QVariant &value)
{
    const auto set = [this](auto &member, const auto &now) {
        if (member == now)
            return;
        member = now;
        emitDataChanged();
    };
    if (column != 0) {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        set(m_label, value.toString());
        break;
    case IdRole:
        set(m_id, value.toInt());
        break;
    case ImageRole:
        set(m_image, value.toInt());
        break;
    case SelectedImageRole:
        set(m_selectedImage, value.toInt());
        break;
    case UnfilledRole:
        set(m_unfilled, value.toBool());
        break;
    default:
        QTreeWidgetItem::setData(column, role, value);
    }
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
