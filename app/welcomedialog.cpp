#include "app/welcomedialog.h"

#include "controls/linklabel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WelcomeDialog::WelcomeDialog(QWidget *parent)
    : QDialog(parent), m_title(new LinkLabel(tr("Harbrow Browser"), this))
{
    setWindowTitle(tr("Harbrow"));

    m_title->setObjectName(QStringLiteral("title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFontSize(TitlePointSize);

    auto *message = new QLabel(
        tr("         Harbrow is your FREE and FAST and SECURE browser\n"
           "  No trace No cookies 1 click on a button and your history is real history...."),
        this);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(m_title);
    layout->addSpacing(6);
    layout->addWidget(message);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

WelcomeDialog::~WelcomeDialog() = default;
