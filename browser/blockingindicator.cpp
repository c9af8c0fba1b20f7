#include "browser/blockingindicator.h"

#include "blocking/allowedsites.h"
#include "blocking/blockingloader.h"
#include "blocking/sitedomain.h"
#include "browser/blockedpage.h"
#include "browser/blockinginterceptor.h"
#include "browser/harbrowscheme.h"
#include "controls/prompts.h"

#include <QMenu>
#include <QWebEngineHistory>
#include <QWebEngineView>

BlockingIndicator::BlockingIndicator(BlockingInterceptor *interceptor, QWebEngineView *view,
                                     QWidget *parent)
    : QToolButton(parent), m_interceptor(interceptor), m_view(view), m_menu(new QMenu(this))
{
    setObjectName(QStringLiteral("blockingIndicator"));
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(true);
    setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &BlockingIndicator::fillMenu);
    connect(interceptor, &BlockingInterceptor::pageStarted, this, &BlockingIndicator::startPage);
    connect(interceptor, &BlockingInterceptor::requestBlocked, this,
            &BlockingIndicator::countBlocked);
    connect(interceptor->loader(), &BlockingLoader::ready, this, &BlockingIndicator::updateText);
    connect(view, &QWebEngineView::urlChanged, this, &BlockingIndicator::followOwnPage);
    updateText();
}

QByteArray BlockingIndicator::site() const
{
    return SiteDomain::registrableDomain(m_page.host().toLower().toStdString());
}

void BlockingIndicator::startPage(const QUrl &url)
{
    m_page = url;
    m_count = 0;
    m_hosts.clear();
    updateText();
}

void BlockingIndicator::countBlocked(const QUrl &url, bool mainFrame, const QString &rule,
                                     const QString &list)
{
    ++m_count;
    ++m_hosts[url.host()];
    updateText();
    if (mainFrame) {
        m_lastBlockedHost = url.host();
        m_view->setUrl(BlockedPage::address(url, rule, list));
    }
}

// The links of the blocked page land here: the page itself only says what happened.
void BlockingIndicator::followOwnPage(const QUrl &url)
{
    if (BlockedPage::isBack(url)) {
        goBackPastBlocked();
    } else if (const QUrl target = BlockedPage::openTarget(url); target.isValid()) {
        m_interceptor->allowHostForSession(target.host());
        m_view->setUrl(target);
    }
}

void BlockingIndicator::goBackPastBlocked()
{
    QWebEngineHistory *history = m_view->history();
    const QList<QWebEngineHistoryItem> items = history->backItems(history->count());
    for (auto item = items.crbegin(); item != items.crend(); ++item) {
        const QUrl url = item->url();
        if (!BlockedPage::isAddress(url) && url.host() != m_lastBlockedHost) {
            history->goToItem(*item);
            return;
        }
    }
    m_view->setUrl(HarbrowScheme::startAddress());
}

void BlockingIndicator::updateText()
{
    // While the lists are read nothing is idle yet, unless blocking is off.
    const QString idle = !m_interceptor->isEnabled() || m_interceptor->loader()->isReady()
        ? m_interceptor->idleReason()
        : QString();
    setText(idle.isEmpty() ? tr("Blocked: %1").arg(m_count) : tr("Not blocking"));
    setToolTip(idle.isEmpty() ? tr("%n request(s) blocked on this page", nullptr, m_count) : idle);
}

void BlockingIndicator::fillMenu()
{
    m_menu->clear();
    const QString idle = m_interceptor->idleReason();
    if (!idle.isEmpty())
        m_menu->addAction(idle)->setEnabled(false);
    m_menu->addAction(tr("%n request(s) blocked on this page", nullptr, m_count))->setEnabled(false);
    for (auto host = m_hosts.cbegin(); host != m_hosts.cend(); ++host)
        m_menu->addAction(tr("%1: %2").arg(host.key()).arg(host.value()))->setEnabled(false);
    m_menu->addSeparator();
    const QByteArray domain = site();
    const bool web = m_page.scheme().startsWith(QLatin1String("http")) && !domain.isEmpty();
    const bool allowed = m_interceptor->allowedSites().contains(domain);
    QAction *allow = m_menu->addAction(tr("Allow on this site"), this, &BlockingIndicator::allowOnThisSite);
    allow->setEnabled(web && !allowed);
    QAction *block = m_menu->addAction(tr("Block on this site"), this, &BlockingIndicator::blockOnThisSite);
    block->setEnabled(web && allowed);
    if (const std::shared_ptr<const FilterEngine> engine =
            m_interceptor->loader()->isReady() ? m_interceptor->loader()->engine() : nullptr) {
        m_menu->addSeparator();
        const FilterCounts &counts = engine->counts();
        m_menu->addAction(tr("%1 rules in use; skipped: %2 cosmetic, %3 with options not supported")
                              .arg(counts.rules).arg(counts.cosmetic).arg(counts.unsupported))
            ->setEnabled(false);
    }
}

void BlockingIndicator::allowOnThisSite()
{
    applyToSite(m_interceptor->allowedSites().allow(site()));
}

void BlockingIndicator::blockOnThisSite()
{
    applyToSite(m_interceptor->allowedSites().block(site()));
}

// Past the cache: what was blocked before must be asked for again. A choice
// the hive refused is not shown as made.
void BlockingIndicator::applyToSite(bool stored)
{
    if (stored) {
        m_view->triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
        return;
    }
    Prompts::instance().inform(this, QMessageBox::Warning, tr("Harbrow"),
                               tr("Your choice for %1 could not be saved, so nothing has changed.")
                                   .arg(QString::fromUtf8(site())));
}
