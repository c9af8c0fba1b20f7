#include "privacy/optionsdialog.h"

#include "browser/allowedsiteslist.h"
#include "privacy/internetoptionsdialog.h"
#include "res/ids.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(Hive *hive, QWidget *parent)
    : QDialog(parent), m_hive(hive), m_internetOptions(new QPushButton(tr("Internet Options"), this))
{
    setWindowTitle(tr("Options"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(addCheckBox(Ids::OptionsDeleteCookies,
                                  tr("Auto delete cookies on program exit"),
                                  &PrivacyOptions::deleteCookiesOnExit));
    layout->addWidget(addCheckBox(Ids::OptionsDeleteCache, tr("Auto delete cache on program exit"),
                                  &PrivacyOptions::deleteCacheOnExit));
    layout->addWidget(addCheckBox(Ids::OptionsDeleteHistory,
                                  tr("Auto delete history on program exit"),
                                  &PrivacyOptions::deleteHistoryOnExit));
    layout->addWidget(addCheckBox(Ids::OptionsPopupFlag,
                                  tr("Set popup flag when new page downloaded"),
                                  &PrivacyOptions::popupFlag));
    layout->addWidget(addCheckBox(Ids::OptionsBlockTrackers, tr("Block trackers and ads"),
                                  &PrivacyOptions::blockTrackers));
    layout->addWidget(new AllowedSitesList(hive, this));
    layout->addSpacing(8);

    m_internetOptions->setAutoDefault(false);
    m_internetOptions->setProperty("controlId", Ids::OptionsInternet);
    connect(m_internetOptions, &QPushButton::clicked, this, &OptionsDialog::openInternetOptions);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->addButton(m_internetOptions, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

OptionsDialog::~OptionsDialog() = default;

QCheckBox *OptionsDialog::addCheckBox(int id, const QString &text, int PrivacyOptions::*field)
{
    auto *box = new QCheckBox(text, this);
    box->setProperty("controlId", id);
    // However the box was ticked: mouse, keys or an assistive tool's toggle.
    connect(box, &QCheckBox::toggled, this,
            [this, field](bool checked) { m_options.*field = checked ? 1 : 0; });
    m_boxes.append({box, field});
    return box;
}

void OptionsDialog::setOptions(const PrivacyOptions &options)
{
    for (const auto &[box, field] : std::as_const(m_boxes))
        box->setChecked(options.*field != 0);
    m_options = options; // as stored, 2 included, until a box changes
}

QCheckBox *OptionsDialog::checkBox(int id) const
{
    for (const auto &[box, field] : m_boxes) {
        if (box->property("controlId").toInt() == id)
            return box;
    }
    return nullptr;
}

void OptionsDialog::openInternetOptions()
{
    InternetOptionsDialog dialog(m_hive, this);
    dialog.exec();
}
