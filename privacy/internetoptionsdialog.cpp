#include "privacy/internetoptionsdialog.h"

#include "controls/prompts.h"
#include "privacy/settings/internetsettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

InternetOptionsDialog::InternetOptionsDialog(Hive *hive, QWidget *parent)
    : QDialog(parent),
      m_hive(hive),
      m_homePage(new QLineEdit(this)),
      m_javaScript(new QCheckBox(tr("Enable JavaScript"), this)),
      m_images(new QCheckBox(tr("Show pictures"), this)),
      m_doNotTrack(new QCheckBox(tr("Send a \"Do Not Track\" request with every page"), this))
{
    setWindowTitle(tr("Internet Options"));

    const InternetSettings settings = InternetSettings::load(m_hive);
    m_homePage->setText(settings.homePage);
    m_homePage->setPlaceholderText(tr("The start page"));
    m_homePage->setMinimumWidth(280);
    m_javaScript->setChecked(settings.javaScript);
    m_images->setChecked(settings.images);
    m_doNotTrack->setChecked(settings.doNotTrack);

    auto *useStartPage = new QPushButton(tr("Use Start Page"), this);
    useStartPage->setAutoDefault(false);
    connect(useStartPage, &QPushButton::clicked, m_homePage, &QLineEdit::clear);

    auto *home = new QHBoxLayout;
    home->addWidget(m_homePage, 1);
    home->addWidget(useStartPage);
    auto *form = new QFormLayout;
    form->addRow(tr("Home page:"), home);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &InternetOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_javaScript);
    layout->addWidget(m_images);
    layout->addWidget(m_doNotTrack);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

InternetOptionsDialog::~InternetOptionsDialog() = default;

void InternetOptionsDialog::accept()
{
    const InternetSettings settings{m_homePage->text().trimmed(), m_javaScript->isChecked(),
                                    m_images->isChecked(), m_doNotTrack->isChecked()};
    if (!settings.save(m_hive)) {
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Internet Options"),
                                   tr("The Internet options could not be saved."));
        return;
    }
    QDialog::accept();
}
