#include "app/aboutdialog.h"

#include "app/appicons.h"
#include "store/productsite.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int IconSize = 48;
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("About Harbrow v1.0"));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(AppIcons::application().pixmap(IconSize, IconSize));
    icon->setAlignment(Qt::AlignTop);

    auto *version = new QLabel(tr("The Harbrow browser version 1.0"), this);
    auto *latest = new QLabel(tr("For latest version go to:"), this);
    auto *website =
        new QLabel(tr("website  %1").arg(QString::fromLatin1(ProductSite::HomePage)), this);
    website->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel *label : {version, latest, website})
        label->setTextFormat(Qt::PlainText);

    auto *texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addSpacing(6);
    texts->addWidget(latest);
    texts->addWidget(website);
    texts->addStretch();

    auto *body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(icon);
    body->addLayout(texts, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(body);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

AboutDialog::~AboutDialog() = default;
