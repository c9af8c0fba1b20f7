#include "organiser/movetofolderdialog.h"

#include "organiser/bookmarkpageaccess.h"
#include "organiser/organiserpictures.h"
#include "store/bookmarkstore.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

MoveToFolderDialog::MoveToFolderDialog(BookmarkPageAccess &page, QWidget *parent)
    : QDialog(parent), m_page(page)
{
    setWindowTitle(tr("Move bookmark(s) to folder"));
    setWindowIcon(OrganiserPictures::folderOpen());
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton()->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(m_buttons);
    resize(380, 420);

    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &MoveToFolderDialog::updateOkButton);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &MoveToFolderDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &MoveToFolderDialog::reject);
    fillTree();
    updateOkButton();
}

QPushButton *MoveToFolderDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

// Folders in the store's order, depth first, each under its parent.
void MoveToFolderDialog::fillTree()
{
    QIcon icon;
    icon.addFile(OrganiserPictures::folderClosedPath(), {}, QIcon::Normal);
    icon.addFile(OrganiserPictures::folderOpenPath(), {}, QIcon::Selected);

    m_tree->clear();
    auto root = std::make_unique<QTreeWidgetItem>(QStringList{tr("Favorites")});
    root->setIcon(0, icon);
    root->setData(0, IdRole, 0);
    QTreeWidgetItem *top = root.get();

    const BookmarkStore &store = m_page.store();
    QSet<int> shown{0};
    std::vector<std::pair<int, QTreeWidgetItem *>> pending{{0, top}};
    while (!pending.empty()) {
        const auto [parentId, parentItem] = pending.back();
        pending.pop_back();
        for (const FolderRecord &folder : store.childFolders(parentId)) {
            if (shown.contains(folder.id))
                continue; // a parent loop would never end
            shown.insert(folder.id);
            auto *item = new QTreeWidgetItem(parentItem, QStringList{folder.name});
            item->setIcon(0, icon);
            item->setData(0, IdRole, folder.id);
            pending.emplace_back(folder.id, item);
        }
    }
    m_tree->addTopLevelItem(root.release());
    top->setExpanded(true);
    m_tree->setCurrentItem(top);
}

void MoveToFolderDialog::updateOkButton()
{
    okButton()->setEnabled(!m_tree->selectedItems().isEmpty());
}

void MoveToFolderDialog::accept()
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    m_page.setMoveTarget(selected.first()->data(0, IdRole).toInt());
    QDialog::accept();
}
