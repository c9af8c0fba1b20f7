#include "organiser/foldernamedialog.h"

#include "organiser/bookmarkpageaccess.h"
#include "organiser/organiserpictures.h"
#include "store/bookmarkstore.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>


FolderNameDialog::FolderNameDialog(BookmarkPageAccess &page, Mode mode, QWidget *parent)
    : QDialog(parent), m_page(page), m_mode(mode)
{
    setWindowIcon(OrganiserPictures::folderClosed());
    m_prompt = new QLabel(this);
    m_name = new QLineEdit(this);
    m_prompt->setBuddy(m_name);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton()->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_name);
    layout->addSpacing(8);
    layout->addWidget(m_buttons);
    setMinimumWidth(340);

    connect(m_name, &QLineEdit::textChanged, this, &FolderNameDialog::updateOkButton);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &FolderNameDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &FolderNameDialog::reject);

    if (m_mode == Mode::Add) {
        setWindowTitle(tr("Add a new folder"));
        m_prompt->setText(tr("Enter folder's name:"));
        m_name->setMaxLength(NameLimit);
    } else {
        setWindowTitle(tr("Edit folder"));
        m_prompt->setText(tr("Enter new name for the folder:"));
        m_currentName = m_page.folderName();
        m_name->setMaxLength(std::max<int>(NameLimit, m_currentName.size()));
        m_name->setText(m_currentName);
    }
    updateOkButton();
}

QPushButton *FolderNameDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

// A new folder goes under the selected folder. A renamed folder stays beside
// its siblings, so that is where its new name must be free.
int FolderNameDialog::folderToCheck() const
{
    const int selected = m_page.selectedFolderId();
    if (m_mode == Mode::Add || selected == 0)
        return selected;
    const std::optional<FolderRecord> folder = m_page.store().folder(selected);
    return folder ? folder->parentId : selected;
}

bool FolderNameDialog::isTaken(const QString &name) const
{
    if (!m_page.store().isFolderNameTaken(name, QString::number(folderToCheck())))
        return false;
    // Renaming to the same name in other letters finds only the folder itself;
    // "Favorites" stays refused whatever the folder was called.
    const bool ownName = m_mode == Mode::Edit &&
                         name.compare(m_currentName, Qt::CaseInsensitive) == 0 &&
                         name.compare(QLatin1String("Favorites"), Qt::CaseInsensitive) != 0;
    return !ownName;
}

// Blanks around a name are no part of it; a name of blanks is empty.
QString FolderNameDialog::typedName() const
{
    return m_name->text().trimmed();
}

void FolderNameDialog::updateOkButton()
{
    const QString name = typedName();
    okButton()->setEnabled(!name.isEmpty() && !isTaken(name));
}

void FolderNameDialog::accept()
{
    if (!okButton()->isEnabled())
        return; // Enter in the edit must not get past the check
    m_page.setFolderName(typedName());
    QDialog::accept();
}
