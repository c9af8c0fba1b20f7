#include "browser/startpage.h"

#include "browser/browserhost.h"
#include "browser/browserowner.h"
#include "browser/cwebcommercial.h"
#include "browser/harbrowscheme.h"
#include "browser/startservice.h"

#include <QShortcut>
#include <QVBoxLayout>
#include <QWebEngineProfile>

#include <utility>

StartPage::StartPage(BrowserOwner *owner, QWebEngineProfile *profile, QWidget *parent)
    : QWidget(parent), m_owner(owner), m_view(new CWebCommercial(profile, this)),
      m_service(new StartService(owner, this)), m_profile(profile)
{
    m_view->setObjectName(QStringLiteral("startView"));
    m_view->setHomeAddress(HarbrowScheme::startAddress());
    // No menu, not even before the first document has come.
    m_view->setHost(new BrowserHost(false, this));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    m_profile->installUrlSchemeHandler(HarbrowScheme::Name, m_service);
    connect(m_view, &CWebCommercial::BeforeNavigate2, this, &StartPage::beforeNavigate);
    connect(m_view, &CWebCommercial::NewWindow2, this, &StartPage::takeNewWindow);
    connect(m_view, &CWebCommercial::DocumentComplete, this, &StartPage::completeDocument);
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
        auto *reload = new QShortcut(keys, this);
        reload->setContext(Qt::WidgetWithChildrenShortcut);
        connect(reload, &QShortcut::activated, this, [this] {
            m_reloading = m_firstPageLoaded;
            m_view->Refresh();
        });
    }

    m_view->Navigate2(HarbrowScheme::startAddress());
}

StartPage::~StartPage()
{
    m_profile->removeUrlSchemeHandler(m_service);
}

void StartPage::navigateStart(const QString &url)
{
    m_openingStart = false;
    m_view->Navigate(url);
}

// The engine asks about the start-up navigation only after the window is up,
// when the user may already have chosen another tab: that one leaves the tabs
// alone. Later navigations before the first document keep "Home" in front.
void StartPage::beforeNavigate(const QVariant &url, bool *cancel)
{
    if (std::exchange(m_reloading, false) && HarbrowScheme::isStartAddress(url.toUrl()))
        return;
    if (HarbrowScheme::isFavouritesAddress(url.toUrl())) {
        *cancel = true;
        if (m_owner)
            m_owner->selectPage(2);
        return;
    }
    if (!m_firstPageLoaded) {
        if (m_owner && !m_openingStart)
            m_owner->selectPage(0);
        return;
    }
    *cancel = true;
    if (m_owner)
        m_owner->navigateBrowser2(url);
}

// The tiles are looked at each time Home comes forward; only a change reloads.
void StartPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refreshIfOutdated();
}

void StartPage::refreshIfOutdated()
{
    if (!m_firstPageLoaded || m_view->Busy() || !HarbrowScheme::isStartAddress(m_view->url())
        || m_service->currentTiles() == m_shown)
        return;
    m_reloading = true;
    m_view->Refresh();
}

void StartPage::takeNewWindow(QWebEnginePage **window, bool *cancel)
{
    *window = m_firstPageLoaded && m_owner ? m_owner->browserApplication() : nullptr;
    *cancel = !*window;
}

void StartPage::completeDocument()
{
    m_view->setHost(new BrowserHost(false, this));
    // The browser page is served by the same service: what this view shows is noted here.
    if (HarbrowScheme::isStartAddress(m_view->url()))
        m_shown = m_service->currentTiles();
    if (m_firstPageLoaded)
        return;
    m_firstPageLoaded = true;
    m_openingStart = false;
    emit firstDocumentLoaded();
}
