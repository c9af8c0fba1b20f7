#include "browser/cwebcommercial.h"

#include "browser/browserhost.h"
#include "browser/stoppedpage.h"
#include "browser/webcommercialpage.h"

#include <QContextMenuEvent>
#include <QTimer>

#include <utility>

CWebCommercial::CWebCommercial(QWebEngineProfile *profile, QWidget *parent)
    : QWebEngineView(parent), m_page(new WebCommercialPage(profile, this))
{
    setPage(m_page);
    connect(m_page, &WebCommercialPage::beforeNavigate, this,
            [this](const QUrl &url, bool *cancel) { emit BeforeNavigate2(url, cancel); });
    connect(m_page, &WebCommercialPage::newWindowRequested2, this, &CWebCommercial::NewWindow2);
    connect(m_page, &WebCommercialPage::commandStateChanged, this,
            &CWebCommercial::CommandStateChange);
    connect(m_page, &WebCommercialPage::documentTitleChanged, this, &CWebCommercial::TitleChange);
    connect(m_page, &WebCommercialPage::documentCompleted, this, [this](const QUrl &url) {
        m_hasDocument = true;
        emit DocumentComplete(url);
    });
    connect(m_page, &WebCommercialPage::navigateCompleted, this,
            [this](const QUrl &url) { emit NavigateComplete2(url); });
    connect(m_page, &WebCommercialPage::windowClosing, this, [this](bool *cancel) {
        emit WindowClosing(false, cancel);
        if (!*cancel)
            hide();
    });
    // The engine tears the page down first; the notice loads once it is done.
    connect(m_page, &WebCommercialPage::renderProcessStopped, this, [this](const QUrl &url) {
        QTimer::singleShot(0, this, [this, url] { showStopped(url); });
    });
    connect(m_page, &WebCommercialPage::loadStarted, this, [this] {
        if (!std::exchange(m_loadingStopped, false))
            m_stopped.clear();
    });
}

// Shown under the page's own address, so the address box and a bookmark keep it.
void CWebCommercial::showStopped(const QUrl &url)
{
    m_stopped = url;
    m_loadingStopped = true;
    m_page->setHtml(StoppedPage::html(url), url);
}

CWebCommercial::~CWebCommercial()
{
    emit OnQuit();
}

void CWebCommercial::GoBack()
{
    m_page->triggerAction(QWebEnginePage::Back);
}

void CWebCommercial::GoForward()
{
    m_page->triggerAction(QWebEnginePage::Forward);
}

void CWebCommercial::GoHome()
{
    if (m_home.isValid())
        load(m_home);
}

// Typed text as a browser's address bar takes it: "example.org" is a web address.
void CWebCommercial::Navigate(const QString &url)
{
    const QString text = url.trimmed();
    if (text.isEmpty())
        return;
    load(QUrl::fromUserInput(text));
}

// A page that stopped is loaded again from its own address.
void CWebCommercial::Refresh()
{
    if (m_stopped.isValid()) {
        load(m_stopped);
        return;
    }
    m_page->triggerAction(QWebEnginePage::Reload);
}

void CWebCommercial::Stop()
{
    m_page->triggerAction(QWebEnginePage::Stop);
}

void CWebCommercial::Navigate2(const QVariant &url)
{
    if (url.userType() == QMetaType::QUrl) {
        const QUrl address = url.toUrl();
        if (address.isValid() && !address.isEmpty())
            load(address);
        return;
    }
    Navigate(url.toString());
}

QWebEnginePage *CWebCommercial::Application() const
{
    return m_page;
}

QWebEnginePage *CWebCommercial::Document() const
{
    return m_hasDocument ? m_page : nullptr;
}

QString CWebCommercial::LocationName() const
{
    return m_page->title();
}

QString CWebCommercial::LocationURL() const
{
    return m_page->url().toString();
}

bool CWebCommercial::Busy() const
{
    return m_page->isBusy();
}

QUrl CWebCommercial::NewWindowAddress() const
{
    return m_page->requestedWindowAddress();
}

bool CWebCommercial::NewWindowByUser() const
{
    return m_page->requestedWindowByUser();
}

BrowserHost *CWebCommercial::host() const
{
    return m_host;
}

void CWebCommercial::setHost(BrowserHost *host)
{
    if (m_host == host)
        return;
    delete m_host.data();
    m_host = host;
    if (host)
        host->setParent(this);
}

// Without a host the engine's own menu shows, as for a document that has none.
void CWebCommercial::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_host)
        m_host->showContextMenu(this, event->globalPos());
    else
        QWebEngineView::contextMenuEvent(event);
}
