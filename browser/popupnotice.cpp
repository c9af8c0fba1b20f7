#include "browser/popupnotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

PopupNotice::PopupNotice(QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_open(new QPushButton(tr("Open it"), this)),
      m_close(new QPushButton(tr("Close"), this))
{
    setObjectName(QStringLiteral("popupNotice"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    m_label->setForegroundRole(QPalette::ToolTipText);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QPushButton *button : {m_open, m_close})
        button->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_open);
    layout->addWidget(m_close);

    connect(m_open, &QPushButton::clicked, this, [this] {
        const QUrl address = m_address;
        dismiss();
        emit openRequested(address);
    });
    connect(m_close, &QPushButton::clicked, this, &PopupNotice::dismiss);
    hide();
}

PopupNotice::~PopupNotice() = default;

QString PopupNotice::text() const
{
    return m_label->text();
}

void PopupNotice::showBlocked(const QUrl &address)
{
    m_address = address;
    const QString shown = address.isEmpty() ? tr("(no address)") : address.toDisplayString();
    m_label->setText(tr("Pop-up blocked: %1").arg(shown));
    m_label->setToolTip(shown);
    const QString scheme = address.scheme();
    m_open->setEnabled(scheme == u"http" || scheme == u"https");
    show();
}

void PopupNotice::dismiss()
{
    m_address.clear();
    hide();
}
