#pragma once

#include <QTreeWidgetItem>

// An item of a folder tree: a label, an image and a selected image (indexes
// into the tree's pictures) and a 32-bit id. Images 0 and 1 mark a folder;
// anything above 1 marks a bookmark shown in the tree.
class FolderTreeItem final : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 1;
    enum Role {
        IdRole = Qt::UserRole,
        ImageRole,
        SelectedImageRole,
        UnfilledRole, // true while a folder's children have not been created
    };

    FolderTreeItem(const QString &label, int image, int selectedImage, int id);

    // The picture follows the selection, as the selected image says.
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant &value) override;

    static int id(const QTreeWidgetItem *item);
    static int image(const QTreeWidgetItem *item);
    static int selectedImage(const QTreeWidgetItem *item);
    static bool isFolder(const QTreeWidgetItem *item) { return image(item) <= 1; }

private:
    // Held here rather than as item data, which costs several allocations per
    // item: one level of a large collection makes thousands of items.
    QString m_label;
    int m_id;
    int m_image;
    int m_selectedImage;
    bool m_unfilled = false;
};
