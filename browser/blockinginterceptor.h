#pragma once

#include <QHash>
#include <QSet>
#include <QWebEngineUrlRequestInterceptor>

#include <memory>

class AllowedSites;
class BlockingLoader;
class Hive;
class QWebEngineProfile;

// Decides every request of the profile against the tracker and ad lists. Owned
// by the profile it is installed on; the lists are read off the main thread once
// blocking is on, and the first request waits for them only if they are not ready.
class BlockingInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    // A profile takes one interceptor: the one it had (before) still runs, first.
    BlockingInterceptor(Hive *hive, QWebEngineProfile *profile,
                        QWebEngineUrlRequestInterceptor *before = nullptr);
    ~BlockingInterceptor() override;
    Q_DISABLE_COPY_MOVE(BlockingInterceptor)

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // The lists are read once blocking is first on (a user who turned it off
    // does not pay for them), a moment later, after the window has shown.
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    AllowedSites &allowedSites() const { return *m_sites; }
    BlockingLoader *loader() const { return m_loader; }
    // Pages of this host open for the rest of the session ("Open anyway").
    void allowHostForSession(const QString &host) { m_sessionHosts.insert(host.toLower()); }
    // Why nothing is blocked, when nothing is; empty otherwise.
    QString idleReason() const;

signals:
    // A page began to load in a main frame: its blocked requests count afresh.
    void pageStarted(const QUrl &url);
    void requestBlocked(const QUrl &url, bool mainFrame, const QString &rule, const QString &list);

private:
    bool decidesFor(const QUrl &url, const QUrl &page);
    // The registrable domain of a page's host (as written: Unicode or encoded);
    // a page's requests share it.
    const QByteArray &siteOf(const QString &host);

    QWebEngineUrlRequestInterceptor *m_before;
    bool m_enabled = false;
    std::unique_ptr<AllowedSites> m_sites;
    BlockingLoader *m_loader;
    QSet<QString> m_sessionHosts;
    QHash<QString, QByteArray> m_pageSites;
};
