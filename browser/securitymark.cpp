#include "browser/securitymark.h"

#include "browser/webcommercialpage.h"

#include <QWebEngineView>

SecurityMark::SecurityMark(QWebEngineView *view, QWidget *parent) : QLabel(parent), m_view(view)
{
    setObjectName(QStringLiteral("securityMark"));
    setText(tr("Not secure"));
    setStyleSheet(QStringLiteral("QLabel { color: #b3261e; font-weight: bold; padding: 0 4px; }"));
    hide();
    if (auto *page = qobject_cast<WebCommercialPage *>(view->page()))
        connect(page, &WebCommercialPage::certificateErrorAccepted, this,
                &SecurityMark::noteAcceptedError);
    connect(view, &QWebEngineView::urlChanged, this, &SecurityMark::follow);
}

QString SecurityMark::siteOf(const QUrl &url)
{
    return url.scheme() + QStringLiteral("://") + url.host() + QLatin1Char(':') +
           QString::number(url.port(-1));
}

void SecurityMark::noteAcceptedError(const QUrl &url, const QString &description)
{
    m_accepted.insert(siteOf(url), description);
    follow(m_view->url());
}

void SecurityMark::follow(const QUrl &shown)
{
    const auto accepted = m_accepted.constFind(siteOf(shown));
    if (accepted == m_accepted.cend()) {
        hide();
        setToolTip({});
        return;
    }
    setToolTip(tr("The identity of this site could not be verified, and you chose to go on:\n%1")
                   .arg(*accepted));
    show();
}
