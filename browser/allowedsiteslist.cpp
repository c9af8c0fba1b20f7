#include "browser/allowedsiteslist.h"

#include "blocking/allowedsites.h"
#include "controls/prompts.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

AllowedSitesList::AllowedSitesList(Hive *hive, QWidget *parent)
    : QGroupBox(tr("Sites where trackers and ads are allowed"), parent), m_hive(hive),
      m_list(new QListWidget(this)), m_remove(new QPushButton(tr("Remove"), this))
{
    setObjectName(QStringLiteral("allowedSites"));
    m_list->setMaximumHeight(90);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_remove->setAutoDefault(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_remove, 0, Qt::AlignRight);
    connect(m_remove, &QPushButton::clicked, this, &AllowedSitesList::removeSelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); });
    fill();
}

void AllowedSitesList::fill()
{
    m_list->clear();
    const AllowedSites sites(m_hive);
    for (const QByteArray &domain : sites.domains())
        m_list->addItem(QString::fromUtf8(domain));
    m_remove->setEnabled(false);
}

void AllowedSitesList::removeSelected()
{
    AllowedSites sites(m_hive);
    bool removed = true;
    for (const QListWidgetItem *item : m_list->selectedItems())
        removed &= sites.block(item->text().toUtf8());
    fill();
    if (!removed)
        Prompts::instance().inform(this, QMessageBox::Warning, tr("Options"),
                                   tr("A site could not be removed from the list."));
}
