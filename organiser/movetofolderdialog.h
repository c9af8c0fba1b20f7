#pragma once

#include <QDialog>

class BookmarkPageAccess;
class QDialogButtonBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Lets the user pick the folder that the selected bookmarks go to: every folder
// under "Favorites", which starts selected. On OK the chosen id goes to the page.
class MoveToFolderDialog final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole;

    explicit MoveToFolderDialog(BookmarkPageAccess &page, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(MoveToFolderDialog)

    QTreeWidget *tree() const { return m_tree; }
    QPushButton *okButton() const;

    void accept() override;

private:
    void fillTree();
    void updateOkButton();

    BookmarkPageAccess &m_page;
    QTreeWidget *m_tree = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
