#pragma once

#include <QDialog>

class BookmarkPageAccess;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name of a new folder (under the page's selected folder) or a
// new name for the selected folder. OK stays disabled while the name is empty
// or already taken where the folder would stand; on OK the name goes to the page.
class FolderNameDialog final : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Add, Edit };
    static constexpr int NameLimit = 100;

    FolderNameDialog(BookmarkPageAccess &page, Mode mode, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(FolderNameDialog)

    QLineEdit *nameEdit() const { return m_name; }
    QLabel *prompt() const { return m_prompt; }
    QPushButton *okButton() const;

    void accept() override;

private:
    void updateOkButton();
    QString typedName() const;
    bool isTaken(const QString &name) const;
    int folderToCheck() const;

    BookmarkPageAccess &m_page;
    Mode m_mode;
    QString m_currentName; // edit mode: the name the folder has now
    QLabel *m_prompt = nullptr;
    QLineEdit *m_name = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
