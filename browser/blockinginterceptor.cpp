#include "browser/blockinginterceptor.h"

#include "blocking/allowedsites.h"
#include "blocking/blockingloader.h"
#include "blocking/enginecache.h"
#include "blocking/sitedomain.h"

#include <QTimer>
#include <QWebEngineProfile>

namespace {

constexpr int ListsDelayMs = 1000;

ResourceType typeOf(QWebEngineUrlRequestInfo::ResourceType type)
{
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        return ResourceType::Document;
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        return ResourceType::Subdocument;
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        return ResourceType::Stylesheet;
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
    case QWebEngineUrlRequestInfo::ResourceTypeWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeSharedWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeServiceWorker:
        return ResourceType::Script;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        return ResourceType::Image;
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
        return ResourceType::Font;
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
        return ResourceType::Media;
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
    case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        return ResourceType::Object;
    case QWebEngineUrlRequestInfo::ResourceTypeXhr:
        return ResourceType::XmlHttpRequest;
    case QWebEngineUrlRequestInfo::ResourceTypePing:
    case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
        return ResourceType::Ping;
    default:
        return ResourceType::Other;
    }
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("ws") || scheme == QLatin1String("wss");
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

BlockingInterceptor::BlockingInterceptor(Hive *hive, QWebEngineProfile *profile,
                                         QWebEngineUrlRequestInterceptor *before)
    : QWebEngineUrlRequestInterceptor(profile), m_before(before), m_sites(std::make_unique<AllowedSites>(hive)),
      m_loader(new BlockingLoader(FilterLists::find(), EngineCache::filePath(), this))
{
    profile->setUrlRequestInterceptor(this);
}

BlockingInterceptor::~BlockingInterceptor() = default;

// The lists are read a moment after blocking is on, so that they take no time
// from showing the window at start; a web request before then reads them at once.
void BlockingInterceptor::setEnabled(bool on)
{
    m_enabled = on;
    if (on)
        QTimer::singleShot(ListsDelayMs, m_loader, &BlockingLoader::start);
}

QString BlockingInterceptor::idleReason() const
{
    if (!m_enabled)
        return tr("Blocking of trackers and ads is off (File > Options).");
    if (m_loader->lists().isEmpty())
        return tr("The lists of trackers and ads are missing (%1): nothing is blocked.")
            .arg(FilterLists::systemFolder());
    return {};
}

const QByteArray &BlockingInterceptor::siteOf(const QString &host)
{
    auto found = m_pageSites.constFind(host);
    if (found != m_pageSites.constEnd())
        return *found;
    if (m_pageSites.size() >= 256) // pages long closed
        m_pageSites.clear();
    return *m_pageSites.insert(host, SiteDomain::registrableDomain(host.toLower().toStdString()));
}

// Harbrow's own pages, and pages of sites the user allowed, are left alone.
bool BlockingInterceptor::decidesFor(const QUrl &url, const QUrl &page)
{
    if (!m_enabled || !isWebAddress(url) || (!page.isEmpty() && !isWebAddress(page)))
        return false;
    return m_sites->domains().isEmpty() || !m_sites->contains(siteOf((page.isEmpty() ? url : page).host()));
}

void BlockingInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (m_before)
        m_before->interceptRequest(info);
    const QUrl url = info.requestUrl();
    const bool mainFrame =
        info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    const QUrl page = mainFrame ? url : info.firstPartyUrl();
    if (mainFrame && isWebAddress(url))
        emit pageStarted(url);
    if (!decidesFor(url, page))
        return;
    if (mainFrame && m_sessionHosts.contains(url.host().toLower()))
        return;
    const std::shared_ptr<const FilterEngine> engine = m_loader->engine();
    if (!engine)
        return;
    const QByteArray address = url.toEncoded();
    const QByteArray pageAddress = page.toEncoded();
    // The engine sees encoded addresses: the site of the encoded host.
    const QByteArray &site = siteOf((page.isEmpty() ? url : page).host(QUrl::FullyEncoded));
    const BlockVerdict verdict = engine->decide(
        {view(address), view(pageAddress), typeOf(info.resourceType()), view(site)});
    if (!verdict.blocked)
        return;
    info.block(true);
    emit requestBlocked(url, mainFrame, engine->ruleText(verdict.rule),
                        engine->ruleList(verdict.rule));
}
